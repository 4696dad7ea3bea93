#pragma once

#include <gtkmm/application.h>
#include <gtkmm/applicationwindow.h>
#include <gtkmm/label.h>
#include <gtkmm/revealer.h>
#include <gtkmm/stack.h>

#include <string_view>

namespace marlguide::ui {

// Handles of the built main window. GTK owns the widgets through the window; these are plain
// observers that stay valid while the window lives.
struct MainWindow {
  Gtk::ApplicationWindow* window = nullptr;
  Gtk::Widget* home_page = nullptr;
  Gtk::Revealer* suggestion_revealer = nullptr;
  Gtk::Label* suggestion_label = nullptr;
  Gtk::Stack* stack = nullptr;
};

// The stylesheet every view, the wizard and the tour overlays share.
std::string_view application_stylesheet();

// What building the main window does with a key binding that a cut-short tour left replaced.
// A screenshot run keeps it: it is a side process, and the binding may belong to a tour that
// the running instance is showing right now.
enum class LeftoverRebind { Restore, Keep };

// Builds the main window of the application, hidden. Closing it destroys it.
MainWindow build_main_window(const Glib::RefPtr<Gtk::Application>& app,
                             LeftoverRebind leftover = LeftoverRebind::Restore);

}  // namespace marlguide::ui

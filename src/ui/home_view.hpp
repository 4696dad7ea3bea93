#pragma once

#include <gtkmm/label.h>
#include <gtkmm/revealer.h>
#include <gtkmm/window.h>

#include "config/display_mode.hpp"

namespace marlguide::ui {

struct HomeView {
  Gtk::Widget* root = nullptr;
  Gtk::Revealer* suggestion_revealer = nullptr;
  Gtk::Label* suggestion_label = nullptr;
};

// Builds the Home page. The widgets are managed: the caller adds `root` to a container.
HomeView build_home_view(Gtk::Window& main_window, config::DisplayMode mode);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/label.h>
#include <gtkmm/revealer.h>
#include <gtkmm/window.h>

#include <vector>

#include "config/display_mode.hpp"
#include "content/keybinds.hpp"

namespace marlguide::ui {

struct HomeView {
  Gtk::Widget* root = nullptr;
  Gtk::Revealer* suggestion_revealer = nullptr;
  Gtk::Label* suggestion_label = nullptr;
};

// Builds the Home page. The widgets are managed: the caller adds `root` to a container. The
// mode switch, the wizard and the tour replay act on `main_window`, which outlives the page.
HomeView build_home_view(const std::vector<content::Keybind>& keybinds, Gtk::Window& main_window,
                         config::DisplayMode mode);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/widget.h>

#include <array>
#include <optional>
#include <string_view>

#include "config/display_mode.hpp"

namespace marlguide::ui {

using config::DisplayMode;

// The CSS class a mode puts on the main window; Normal has none.
std::optional<std::string_view> mode_class(DisplayMode mode);

// The mode at a drop-down position; positions past the last mode (GTK's "none" included) are
// Normal.
DisplayMode mode_from_position(unsigned position);

// Replaces the window's mode class. Views are not rebuilt: only the look changes.
void apply_display_mode(Gtk::Widget& window, DisplayMode mode);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/listboxrow.h>
#include <gtkmm/widget.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/keybinds.hpp"

// The user's key bindings as a list, with "Try it" and a temporary rebind for bindings that
// start a program.
namespace marlguide::ui {

// The Keybinds section of the Home page (managed): a title over one row per binding, or a
// note that there are none.
Gtk::Widget* keybinds_section(const std::vector<content::Keybind>& keybinds);

// One binding's row (managed); the search shows found bindings with it too.
Gtk::ListBoxRow* keybind_row(const content::Keybind& keybind);

// The text handed to `hyprctl keyword bind` for binding `dispatcher` to the combination typed
// in `entry_text` ("super + shift + u" and "exec,firefox" give "SUPER_SHIFT,U,exec,firefox").
// None when the text names no key. A key without modifiers gets an empty modifier field
// (",F1,exec,firefox"): the compositor reads the first field as the modifiers.
std::optional<std::string> temporary_binding(std::string_view entry_text,
                                             std::string_view dispatcher);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/box.h>

#include <vector>

#include "content/keybinds.hpp"
#include "content/markdown.hpp"

// GTK widgets for the guide text dialect.
namespace marlguide::ui {

// A new vertical box (managed) with one row per block. `keybinds` resolves the key chips to
// the user's own combinations; it may be empty.
Gtk::Box* render_blocks(const std::vector<content::Block>& blocks,
                        const std::vector<content::Keybind>& keybinds);

// A new horizontal box (managed) with the widgets of one line's spans.
Gtk::Box* render_line(const std::vector<content::Span>& spans,
                      const std::vector<content::Keybind>& keybinds);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/paned.h>
#include <gtkmm/scrolledwindow.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/display_mode.hpp"
#include "content/guides.hpp"
#include "content/keybinds.hpp"

namespace marlguide::ui {

// A category's heading in the sidebar: each hyphen-separated piece gets its first character
// upper-cased (full mapping), and the pieces are joined with spaces.
std::string section_title(std::string_view category);

// "category/id", the name of a guide's sidebar row and stack page.
std::string page_name(const content::Guide& guide);

// A guide's page: its title over its rendered text, in a new scrolled window (managed).
// `beginner` picks the simpler text where a guide has one.
Gtk::ScrolledWindow* guide_page(const content::Guide& guide, bool beginner,
                                const std::vector<content::Keybind>& keybinds);

// The Learn page: a sidebar of guides under category headings beside the selected guide's
// page. Every page is built now; the mode chooses the texts once.
Gtk::Paned* learn_view(const std::vector<content::Guide>& guides,
                       const std::vector<content::Keybind>& keybinds, config::DisplayMode mode);

}  // namespace marlguide::ui

#pragma once

#include <gtkmm/box.h>
#include <gtkmm/listbox.h>
#include <gtkmm/listboxrow.h>
#include <gtkmm/paned.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "config/display_mode.hpp"
#include "content/guides.hpp"
#include "content/keybinds.hpp"
#include "content/search.hpp"

// The Ask page: one search over guides, key bindings and commands, with the activated result
// shown beside the list.
namespace marlguide::ui {

// The most rows a search shows; the rest of the matches are left out, not scored.
inline constexpr std::size_t kMaxResults = 40;

// The Ask page (managed). The index is built now from both lists and never rebuilt.
Gtk::Paned* ask_view(std::shared_ptr<const std::vector<content::Guide>> guides,
                     std::shared_ptr<const std::vector<content::Keybind>> keybinds,
                     config::DisplayMode mode);

// Refills `results` with the rows of the first matches of `query`, each row named by its
// item's position in the index.
void filter_results(Gtk::ListBox& results, std::span<const content::SearchItem> index,
                    std::string_view query);

// The index position a result row stands for, when its name is one.
std::optional<std::size_t> result_position(std::string_view row_name, std::size_t index_size);

}  // namespace marlguide::ui

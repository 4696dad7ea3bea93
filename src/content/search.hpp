#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "content/commands.hpp"
#include "content/guides.hpp"
#include "content/keybinds.hpp"

// The search over everything the help centre knows: guides, the user's key bindings and the
// built-in commands, in one list whose order is also the order of the results.
namespace marlguide::content {

// A guide is found again by its key, so the index does not point into the guide list.
struct GuideKey {
  std::string category;
  std::string id;
  bool operator==(const GuideKey&) const = default;
};

using SearchTarget = std::variant<GuideKey, Keybind, CommandEntry>;

struct SearchItem {
  std::string row_text;
  std::string haystack;  // lower-cased once, so typing never lower-cases the items
  SearchTarget target;
};

// Guides in list order, then bindings, then the built-in commands.
std::vector<SearchItem> build_search_index(const std::vector<Guide>& guides,
                                           const std::vector<Keybind>& keybinds);

// Positions of the first `limit` items whose haystack contains the lower-cased query, in index
// order. The query is taken as typed: its spaces are part of what is searched for.
std::vector<std::size_t> matching_items(std::span<const SearchItem> index, std::string_view query,
                                        std::size_t limit);

}  // namespace marlguide::content

#include "content/search.hpp"

#include <format>

#include "content/text.hpp"

namespace marlguide::content {

std::vector<SearchItem> build_search_index(const std::vector<Guide>& guides,
                                           const std::vector<Keybind>& keybinds) {
  std::vector<SearchItem> index;
  const auto commands = builtin_commands();
  index.reserve(guides.size() + keybinds.size() + commands.size());

  for (const auto& guide : guides) {
    std::string tags;
    for (const auto& tag : guide.meta.tags) {
      if (!tags.empty()) tags += ' ';
      tags += tag;
    }
    index.push_back({guide.meta.title, to_lower(std::format("{} {}", guide.meta.title, tags)),
                     GuideKey{guide.category, guide.id}});
  }
  for (const auto& bind : keybinds) {
    std::string row = std::format("{} \u2014 {}", bind.combo, bind.description);
    std::string haystack = to_lower(row);
    index.push_back({std::move(row), std::move(haystack), bind});
  }
  for (const auto& command : commands)
    index.push_back({std::string(command.name),
                     to_lower(std::format("{} {}", command.name, command.description)), command});
  return index;
}

std::vector<std::size_t> matching_items(std::span<const SearchItem> index, std::string_view query,
                                        std::size_t limit) {
  const std::string needle = to_lower(query);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < index.size() && found.size() < limit; ++i)
    if (index[i].haystack.find(needle) != std::string::npos) found.push_back(i);
  return found;
}

}  // namespace marlguide::content

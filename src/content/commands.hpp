#pragma once

#include <span>
#include <string_view>

// The desktop family's own commands, offered by the search.
namespace marlguide::content {

struct CommandEntry {
  std::string_view name;  // also the command line that runs it
  std::string_view description;
};

// The eight built-in commands, in their fixed order.
std::span<const CommandEntry> builtin_commands();

}  // namespace marlguide::content

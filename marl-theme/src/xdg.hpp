#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace marl::theme::detail {

// The user's home: $HOME when set and not empty, else the password database's entry.
std::optional<std::filesystem::path> home_dir();

// $XDG_CACHE_HOME when absolute, else <home>/.cache.
std::optional<std::filesystem::path> cache_dir();

// The whole file, or none when it cannot be read.
std::optional<std::string> read_file(const std::filesystem::path& path);

}  // namespace marl::theme::detail

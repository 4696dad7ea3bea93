#pragma once

#include <filesystem>
#include <optional>

namespace marlguide::config {

// The user's home: $HOME when set and not empty, else the password database's entry for the
// real user id. Environment values are taken as bytes, whatever their encoding.
std::optional<std::filesystem::path> home_dir();

// $XDG_CONFIG_HOME when absolute, else <home>/.config, else /root/.config.
std::filesystem::path config_dir();

// $XDG_CACHE_HOME when absolute, else <home>/.cache; none without a home.
std::optional<std::filesystem::path> cache_dir();

}  // namespace marlguide::config

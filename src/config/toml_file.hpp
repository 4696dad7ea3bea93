#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "config/toml_document.hpp"

namespace marlguide::config {

// The whole file as text, or none when it cannot be read or is not UTF-8.
std::optional<std::string> read_utf8_file(const std::filesystem::path& path);

// The file's document; an empty one when the file cannot be read (silently: a missing file is
// the first run) or does not parse. A file that does not parse is reported under `program`'s
// name and its text copied to "<path>.bak"; the file itself stays until the next save.
TomlDocument read_toml_or_default(std::string_view program, const std::filesystem::path& path);

// Stores the document's text with replace_with_backup.
std::expected<void, std::error_code> save_toml(const std::filesystem::path& path,
                                               const TomlDocument& document);

}  // namespace marlguide::config

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Text helpers for content files: reading them as UTF-8 and the Unicode rules the guide
// dialect and the key-binding lookup share.
namespace marlguide::content {

// The whole file as text, or nothing when it cannot be read (missing, a directory, no
// permission) or is not valid UTF-8.
std::optional<std::string> read_utf8_file(const std::filesystem::path& path);

bool is_valid_utf8(std::string_view text);

// The text with every invalid UTF-8 sequence replaced by U+FFFD.
std::string to_valid_utf8(std::string_view text);

// Unicode White_Space (tabs, line breaks, spaces of every width, NEL, the line and paragraph
// separators).
bool is_white_space(char32_t c);

// The text without White_Space at either end. The text must be valid UTF-8.
std::string_view trim_white_space(std::string_view text);

// The text with every White_Space character removed. The text must be valid UTF-8.
std::string remove_white_space(std::string_view text);

// Full Unicode case mappings, which may change the length ("ß" upper-cases to "SS").
std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);

}  // namespace marlguide::content

#pragma once

#include <format>
#include <string>
#include <string_view>

namespace marlguide {

// Writes one line "marlguide: <text>" to standard error. Every message the program shows on
// the terminal goes through here so that each is a single, prefixed line.
void report(std::string_view text);

// The same single line under another program's name, for helpers that are told whose
// messages they print.
void report_as(std::string_view program, std::string_view text);

// The text with control characters written as escapes ("\n", "\x1B"), for quoting input
// in a one-line message.
std::string printable(std::string_view text);

template <typename... Args>
void report(std::format_string<Args...> fmt, Args&&... args) {
  report(std::string_view{std::format(fmt, std::forward<Args>(args)...)});
}

}  // namespace marlguide

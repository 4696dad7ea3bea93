#pragma once

#include <cstdint>
#include <string_view>

namespace marlguide::config {

// How large and how simple the help centre looks. The numbers are also the positions of the
// Home page's mode drop-down.
enum class DisplayMode : std::uint8_t { Normal = 0, Beginner = 1, Dad = 2, Compact = 3 };

// The text a mode is stored as.
constexpr std::string_view to_string(DisplayMode mode) {
  switch (mode) {
    case DisplayMode::Beginner:
      return "beginner";
    case DisplayMode::Dad:
      return "dad";
    case DisplayMode::Compact:
      return "compact";
    case DisplayMode::Normal:
      break;
  }
  return "normal";
}

// The mode a stored text names, compared whole and case-sensitively; anything else is Normal.
constexpr DisplayMode display_mode_from_string(std::string_view text) {
  for (auto mode : {DisplayMode::Beginner, DisplayMode::Dad, DisplayMode::Compact})
    if (text == to_string(mode)) return mode;
  return DisplayMode::Normal;
}

}  // namespace marlguide::config

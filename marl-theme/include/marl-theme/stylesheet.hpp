#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "marl-theme/colors.hpp"

namespace marl::theme {

// The sizes every program of the family shares.
struct DesignTokens {
  std::string_view font_family = "Varela Round, sans-serif";
  std::uint16_t font_size = 14;
  std::uint16_t font_size_small = 12;
  std::uint16_t radius = 8;
  std::uint16_t radius_small = 6;
  std::uint16_t radius_pill = 999;
  std::uint16_t space_xs = 4, space_s = 8, space_m = 12, space_l = 16;
};

// The complete theme: the palette block followed by the widget rules.
std::string generate_stylesheet(const ThemeColors& colors);

// Where a ready-made theme stylesheet may be put at run time: <runtime dir>/marl/theme.css,
// falling back to the cache directory and then to /tmp.
std::filesystem::path runtime_stylesheet_path();

}  // namespace marl::theme

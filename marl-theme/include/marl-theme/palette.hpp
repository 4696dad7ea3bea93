#pragma once

#include <array>
#include <string>
#include <string_view>

#include "marl-theme/colors.hpp"

namespace marl::theme {

// One named colour of the palette, defined for stylesheets as @name.
struct PaletteEntry {
  std::string name;
  std::string color;
  bool operator==(const PaletteEntry&) const = default;
};

inline constexpr std::string_view kDarkInk = "#11111b";
inline constexpr std::string_view kLightInk = "#f5f5f5";

// The WCAG relative luminance of "#rrggbb" (leading number signs skipped, missing or
// unreadable channels counted as 0), computed in 32-bit floats.
float relative_luminance(std::string_view color);

// Text colour for an area of `color`: dark ink above luminance 0.179, light ink otherwise.
std::string_view ink_for(std::string_view color);

// The sixteen named colours, in the order they are defined.
std::array<PaletteEntry, 16> build_palette(const ThemeColors& colors);

// One "@define-color name colour;" line per palette entry.
std::string palette_css(const ThemeColors& colors);

}  // namespace marl::theme

#include "marl-theme/palette.hpp"

#include <cmath>
#include <format>
#include <optional>

namespace marl::theme {
namespace {

bool on_boundary(std::string_view text, std::size_t at) {
  return at == text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

std::optional<unsigned> hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// A two-character channel: two hex digits, or "+" and one; anything else counts 0.
unsigned channel_value(std::string_view text, std::size_t at) {
  if (at + 2 > text.size() || !on_boundary(text, at) || !on_boundary(text, at + 2)) return 0;
  const char a = text[at], b = text[at + 1];
  const auto low = hex_digit(b);
  if (!low) return 0;
  if (a == '+') return *low;
  const auto high = hex_digit(a);
  return high ? *high * 16 + *low : 0;
}

float linear(unsigned value) {
  const float s = static_cast<float>(value) / 255.0f;
  return s <= 0.04045f ? s / 12.92f : std::pow((s + 0.055f) / 1.055f, 2.4f);
}

}  // namespace

float relative_luminance(std::string_view color) {
  while (!color.empty() && color.front() == '#') color.remove_prefix(1);
  const float r = linear(channel_value(color, 0));
  const float g = linear(channel_value(color, 2));
  const float b = linear(channel_value(color, 4));
  return 0.0722f * b + (0.7152f * g + 0.2126f * r);
}

std::string_view ink_for(std::string_view color) {
  // NaN compares false and so gets the light ink.
  return relative_luminance(color) > 0.179f ? kDarkInk : kLightInk;
}

std::array<PaletteEntry, 16> build_palette(const ThemeColors& c) {
  auto ink = [](const std::string& color) { return std::string(ink_for(color)); };
  return {{
      {"bg", c.background},
      {"fg", c.foreground},
      {"surface", c.surface},
      {"overlay", c.overlay},
      {"accent", c.color4},
      {"red", c.color1},
      {"green", c.color2},
      {"yellow", c.color3},
      {"blue", c.color4},
      {"pink", c.color5},
      {"teal", c.color6},
      {"on-bg", ink(c.background)},
      {"on-surface", ink(c.surface)},
      {"on-accent", ink(c.color4)},
      {"on-red", ink(c.color1)},
      {"on-overlay", ink(c.overlay)},
  }};
}

std::string palette_css(const ThemeColors& colors) {
  std::string css;
  for (const auto& entry : build_palette(colors))
    css += std::format("@define-color {} {};\n", entry.name, entry.color);
  return css;
}

}  // namespace marl::theme

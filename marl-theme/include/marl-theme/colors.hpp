#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace marl::theme {

// The part of pywal's colour file that is read: its numbered colours ("color1" ...).
struct WalColors {
  std::map<std::string, std::string> colors;
};

// The colours the palette is built from: a fixed dark base and six accents from pywal. Colour
// texts are used exactly as read, never validated or normalised.
struct ThemeColors {
  std::string background = "#0c0c0c";
  std::string foreground = "#e8e8e8";
  std::string surface = "#1a1a1a";
  std::string color1 = "#b98749";
  std::string color2 = "#cd9450";
  std::string color3 = "#e3a85c";
  std::string color4 = "#eab672";
  std::string color5 = "#f6c477";
  std::string color6 = "#eabe82";
  std::string overlay = "#d8d8d8";

  bool operator==(const ThemeColors&) const = default;
};

// Reads one JSON value, with only white space after it, as pywal's colour file. Every value
// under "colors" must be a string (a key given twice keeps its later value); other members are
// ignored. None when the text is not such a document.
std::optional<WalColors> parse_wal_colors(std::string_view json);

// The fixed base with "color1" to "color6" taken from the file where present.
ThemeColors theme_colors_from(const WalColors& wal);

// <cache dir>/wal/colors.json, with the literal "~/.cache" when there is no cache directory.
std::filesystem::path wal_colors_path();

// The colours from pywal's file; the defaults when it is missing, unreadable or malformed.
// Never fails and reports nothing.
ThemeColors load_theme_colors();

}  // namespace marl::theme

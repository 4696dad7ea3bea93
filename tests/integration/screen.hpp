#pragma once

// Screenshots of the headless compositor, read back as pixels.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace marlguide::testing {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // How many pixels of the rectangle differ from the colour at its top-left corner.
  int count_unlike_corner(int x, int y, int w, int h) const;
};

// Captures the whole screen with grim into `path` and reads it back.
std::optional<Image> capture_screen(const std::filesystem::path& path);
std::optional<Image> read_png(const std::filesystem::path& path);

}  // namespace marlguide::testing

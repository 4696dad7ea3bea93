#include "screen.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/wait.h>

#include <string>

#include "harness.hpp"

namespace marlguide::testing {

int Image::count_unlike_corner(int x, int y, int w, int h) const {
  const std::uint32_t ref = at(x, y);
  int n = 0;
  for (int j = y; j < y + h && j < height; ++j)
    for (int i = x; i < x + w && i < width; ++i)
      if (at(i, j) != ref) ++n;
  return n;
}

std::optional<Image> read_png(const std::filesystem::path& path) {
  GError* error = nullptr;
  GdkPixbuf* pb = gdk_pixbuf_new_from_file(path.c_str(), &error);
  if (!pb) {
    g_clear_error(&error);
    return std::nullopt;
  }
  Image img;
  img.width = gdk_pixbuf_get_width(pb);
  img.height = gdk_pixbuf_get_height(pb);
  const int stride = gdk_pixbuf_get_rowstride(pb);
  const int channels = gdk_pixbuf_get_n_channels(pb);
  const guchar* data = gdk_pixbuf_read_pixels(pb);
  img.pixels.reserve(static_cast<std::size_t>(img.width) * img.height);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const guchar* p = data + y * stride + x * channels;
      img.pixels.push_back((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
    }
  g_object_unref(pb);
  return img;
}

std::optional<Image> capture_screen(const std::filesystem::path& path) {
  Process grim({"grim", path.string()}, {},
               path.parent_path() / (path.filename().string() + ".log"));
  if (grim.wait_exit(5000ms) != 0) return std::nullopt;
  return read_png(path);
}

}  // namespace marlguide::testing

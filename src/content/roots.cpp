#include "content/roots.hpp"

#include <cstdlib>
#include <string_view>

#include "content/text.hpp"

namespace marlguide::content {

std::filesystem::path system_content_dir() {
  if (const char* dir = std::getenv("MARLGUIDE_CONTENT_DIR"); dir && *dir) return dir;
  return "/usr/share/marlguide/content";
}

std::filesystem::path user_content_dir() {
  if (const char* data = std::getenv("XDG_DATA_HOME");
      data && is_valid_utf8(data) && std::string_view(data).starts_with('/')) {
    return std::filesystem::path(data) / "marlguide/content";
  }
  const char* home = std::getenv("HOME");
  // A set HOME is taken as it is, even empty or relative.
  const std::filesystem::path base = home && is_valid_utf8(home) ? home : "/root";
  return base / ".local/share/marlguide/content";
}

}  // namespace marlguide::content

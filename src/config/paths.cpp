#include "config/paths.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace marlguide::config {
namespace {

std::optional<std::filesystem::path> absolute_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

std::optional<std::filesystem::path> password_home() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0) size = 512;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  passwd entry{};
  passwd* found = nullptr;
  // A buffer that turns out too small is grown rather than taken as "no such user".
  int rc = 0;
  while ((rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
    buffer.resize(buffer.size() * 2);
  if (rc != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0')
    return std::nullopt;
  return std::filesystem::path(found->pw_dir);
}

}  // namespace

std::optional<std::filesystem::path> home_dir() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::filesystem::path(home);
  return password_home();
}

std::filesystem::path config_dir() {
  if (auto dir = absolute_env("XDG_CONFIG_HOME")) return *dir;
  if (auto home = home_dir()) return *home / ".config";
  return std::filesystem::path("/root") / ".config";
}

std::optional<std::filesystem::path> cache_dir() {
  if (auto dir = absolute_env("XDG_CACHE_HOME")) return *dir;
  if (auto home = home_dir()) return *home / ".cache";
  return std::nullopt;
}

}  // namespace marlguide::config

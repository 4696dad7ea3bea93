#include "xdg.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace marl::theme::detail {

std::optional<std::filesystem::path> home_dir() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::filesystem::path(home);
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0) size = 512;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  passwd entry{};
  passwd* found = nullptr;
  int rc = 0;
  while ((rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
    buffer.resize(buffer.size() * 2);
  if (rc != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0')
    return std::nullopt;
  return std::filesystem::path(found->pw_dir);
}

std::optional<std::filesystem::path> cache_dir() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::filesystem::path(cache);
  if (auto home = home_dir()) return *home / ".cache";
  return std::nullopt;
}

std::optional<std::string> read_file(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace marl::theme::detail

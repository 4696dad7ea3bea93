#include "config/toml_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "config/atomic_write.hpp"
#include "util/message.hpp"
#include "util/utf8.hpp"

namespace marlguide::config {

std::optional<std::string> read_utf8_file(const std::filesystem::path& path) {
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
  if (!is_valid_utf8(text)) return std::nullopt;
  return text;
}

TomlDocument read_toml_or_default(std::string_view program, const std::filesystem::path& path) {
  auto text = read_utf8_file(path);
  if (!text) return {};
  auto parsed = TomlDocument::parse(*text);
  if (parsed) return std::move(*parsed);

  const std::filesystem::path backup = backup_path(path);
  report_as(program, std::format("{} failed to parse ({}); backed up to {} before falling back to "
                                 "defaults",
                                 path.string(), parsed.error(), backup.string()));
  // The message is already out; a backup that cannot be written changes nothing more.
  const int fd = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd >= 0) {
    std::string_view rest = *text;
    while (!rest.empty()) {
      const ssize_t n = ::write(fd, rest.data(), rest.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
  }
  return {};
}

std::expected<void, std::error_code> save_toml(const std::filesystem::path& path,
                                               const TomlDocument& document) {
  return replace_with_backup(path, document.text());
}

}  // namespace marlguide::config

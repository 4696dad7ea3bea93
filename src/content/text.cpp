#include "content/text.hpp"

#include <fcntl.h>
#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace marlguide::content {
namespace {

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};
using GString = std::unique_ptr<gchar, GFreeDeleter>;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Decodes the character at `pos` of valid UTF-8 text and moves `pos` past it.
char32_t next_char(std::string_view text, std::size_t& pos) {
  const char* start = text.data() + pos;
  const char32_t c = g_utf8_get_char(start);
  pos = static_cast<std::size_t>(g_utf8_next_char(start) - text.data());
  return c;
}

}  // namespace

std::optional<std::string> read_utf8_file(const std::filesystem::path& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  std::string text;
  char buffer[16384];
  while (true) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;  // a directory ends up here (EISDIR)
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (!is_valid_utf8(text)) return std::nullopt;
  return text;
}

bool is_valid_utf8(std::string_view text) {
  // GLib refuses NUL bytes, which are valid UTF-8 (U+0000): check the pieces between them.
  while (true) {
    const std::size_t nul = text.find('\0');
    const std::string_view piece = text.substr(0, nul);
    if (!g_utf8_validate_len(piece.data(), static_cast<gsize>(piece.size()), nullptr)) return false;
    if (nul == std::string_view::npos) return true;
    text.remove_prefix(nul + 1);
  }
}

std::string to_valid_utf8(std::string_view text) {
  if (is_valid_utf8(text)) return std::string(text);
  GString fixed(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
  return fixed.get();
}

bool is_white_space(char32_t c) {
  switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t next = begin;
    if (!is_white_space(next_char(text, next))) break;
    begin = next;
  }
  std::size_t end = begin;
  for (std::size_t pos = begin; pos < text.size();) {
    if (!is_white_space(next_char(text, pos))) end = pos;
  }
  return text.substr(begin, end - begin);
}

std::string remove_white_space(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    if (!is_white_space(next_char(text, pos))) out.append(text.substr(start, pos - start));
  }
  return out;
}

std::string to_lower(std::string_view text) {
  GString lower(g_utf8_strdown(text.data(), static_cast<gssize>(text.size())));
  return lower.get();
}

std::string to_upper(std::string_view text) {
  GString upper(g_utf8_strup(text.data(), static_cast<gssize>(text.size())));
  return upper.get();
}

}  // namespace marlguide::content

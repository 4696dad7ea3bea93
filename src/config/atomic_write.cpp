#include "config/atomic_write.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "util/utf8.hpp"

namespace marlguide::config {
namespace fs = std::filesystem;
namespace {

class ShortWriteCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "marlguide.write"; }
  std::string message(int) const override { return "failed to write whole buffer"; }
};

std::error_code last_error() { return {errno, std::system_category()}; }

// Owns a file descriptor; closing is the only cleanup a descriptor needs.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { close(); }
  int get() const { return fd_; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

std::expected<void, std::error_code> write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(last_error());
    }
    if (n == 0) return std::unexpected(short_write_error());
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

std::expected<void, std::error_code> create_parent(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return std::unexpected(ec);
  return {};
}

}  // namespace

std::error_code short_write_error() {
  static const ShortWriteCategory category;
  return {1, category};
}

fs::path backup_path(const fs::path& path) {
  fs::path backup = path;
  backup += ".bak";
  return backup;
}

fs::path temporary_path(const fs::path& path) {
  std::string name = path.filename().native();
  if (name.empty() || name == "." || name == ".." || !is_valid_utf8(name)) name = "marl";
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  return dir / ("." + name + ".tmp." + std::to_string(::getpid()));
}

std::expected<void, std::error_code> write_atomic(const fs::path& path, std::string_view bytes) {
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  if (auto made = create_parent(dir); !made) return made;

  const fs::path temp = temporary_path(path);
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return std::unexpected(last_error());

  auto fail = [&](std::error_code ec) -> std::expected<void, std::error_code> {
    fd.close();
    ::unlink(temp.c_str());
    return std::unexpected(ec);
  };
  if (auto written = write_all(fd.get(), bytes); !written) return fail(written.error());
  if (::fsync(fd.get()) != 0) return fail(last_error());
  if (::rename(temp.c_str(), path.c_str()) != 0) return fail(last_error());
  fd.close();
  return {};
}

std::expected<void, std::error_code> replace_with_backup(const fs::path& path,
                                                         std::string_view bytes) {
  if (path.has_parent_path()) {
    if (auto made = create_parent(path.parent_path()); !made) return made;
  }
  struct stat st{};
  if (::stat(path.c_str(), &st) == 0) {
    std::error_code ignored;
    const fs::path backup = backup_path(path);
    if (fs::copy_file(path, backup, fs::copy_options::overwrite_existing, ignored))
      fs::permissions(backup, static_cast<fs::perms>(st.st_mode & 07777), ignored);
  }
  return write_atomic(path, bytes);
}

}  // namespace marlguide::config

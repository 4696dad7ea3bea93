#pragma once

// What the unit tests share: a temporary folder per test, environment changes undone at the end
// of a scope, small file helpers, and the standard error a call writes.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace marlguide::testing {

namespace fs = std::filesystem;

// Writes `text` to `path`, making the folders on the way.
inline void write_file(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "marlguide-unit.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    // Folders a test made unreadable or read-only would stop the removal.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      if (it->is_directory()) fs::permissions(it->path(), fs::perms::owner_all, ec);
    fs::remove_all(path_, ec);
  }

  const fs::path& path() const { return path_; }

  // Writes `text` to the relative path, making the folders on the way.
  fs::path write(const fs::path& relative, std::string_view text) const {
    write_file(path_ / relative, text);
    return path_ / relative;
  }

  fs::path mkdir(const fs::path& relative) const {
    fs::create_directories(path_ / relative);
    return path_ / relative;
  }

 private:
  fs::path path_;
};

// Sets (or, with nothing, unsets) an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Runs `f` and returns what it wrote to standard error.
template <typename F>
std::string stderr_of(F&& f) {
  ::testing::internal::CaptureStderr();
  std::forward<F>(f)();
  return ::testing::internal::GetCapturedStderr();
}

}  // namespace marlguide::testing

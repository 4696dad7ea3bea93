#pragma once

// Small file trees in a temporary folder, the environment changes the loaders read, and the
// standard error they write.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace marlguide::content::testing {

namespace fs = std::filesystem;

class TempTree {
 public:
  TempTree() {
    std::string pattern = (fs::temp_directory_path() / "marlguide-test-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree() {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }

  const fs::path& root() const { return root_; }

  // Writes `text` to the relative path, making the folders on the way.
  fs::path write(const fs::path& relative, std::string_view text) const {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  fs::path mkdir(const fs::path& relative) const {
    fs::create_directories(root_ / relative);
    return root_ / relative;
  }

 private:
  fs::path root_;
};

// Sets (or, with nothing, unsets) an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
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

}  // namespace marlguide::content::testing

#pragma once

// Small shell scripts standing in for the programs the services start, put first on PATH for
// the duration of a test.

#include <giomm/init.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace marlguide::services::testing {

namespace fs = std::filesystem;

class FakePrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    Gio::init();
    char tmpl[] = "/tmp/marlguide-fake.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::create_directories(dir_ / "bin");
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
    setenv("PATH", ((dir_ / "bin").string() + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", old_path_.c_str(), 1);
    fs::remove_all(dir_);
  }

  // Writes an executable script `name` whose body follows "#!/bin/sh".
  void program(const std::string& name, const std::string& body) {
    const auto path = dir_ / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
  }

  // PATH holding only an empty directory: no program can be found.
  void empty_path() { setenv("PATH", (dir_ / "nothing-here").string().c_str(), 1); }

  fs::path file(const std::string& name) const { return dir_ / name; }

  static std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static bool eventually(const std::function<bool()>& done,
                         std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

 private:
  fs::path dir_;
  std::string old_path_;
};

}  // namespace marlguide::services::testing

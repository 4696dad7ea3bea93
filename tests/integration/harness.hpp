#pragma once

// Helpers for tests that run the real program on the private headless compositor that
// tools/with-compositor starts around each integration test executable.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marlguide::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Paths of the source and build trees, handed over by meson.
fs::path source_root();
fs::path build_root();
fs::path marlguide_binary();

// Polls `done` every 20 ms until it holds or the time is up; returns its last answer. The
// default bound is generous: a window's first frame on a cold cache on a loaded two-core
// machine can take several seconds, and a passing wait returns as soon as it holds. The time
// is multiplied by MARLGUIDE_TEST_TIME_SCALE when that is set.
bool wait_until(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));

// A child process with its standard output and error captured to files.
class Process {
 public:
  Process(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
          const fs::path& log_dir);
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  pid_t pid() const { return pid_; }
  // The exit status, once the process has ended (128 + signal number after a signal).
  std::optional<int> wait_exit(std::chrono::milliseconds timeout = 5000ms);
  bool running();
  void kill_now();
  std::string stdout_text() const;
  std::string stderr_text() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  fs::path out_, err_;
};

// A toplevel window as sway reports it.
struct SwayWindow {
  std::string app_id;
  std::string title;
  int x = 0, y = 0, width = 0, height = 0;
  pid_t pid = 0;
  bool visible = false;
};

std::vector<SwayWindow> sway_windows();
// Runs swaymsg with the arguments; returns whether it reported success.
bool swaymsg(const std::vector<std::string>& args);

// A fixture that gives each test its own home and XDG folders, runs marlguide in them, and
// ends every process it started.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts marlguide with the arguments (the program name is added).
  Process& start(std::vector<std::string> args);
  // Runs marlguide to its end and returns the process.
  Process& run(std::vector<std::string> args, std::chrono::milliseconds timeout = 10000ms);

  std::vector<SwayWindow> app_windows();
  bool wait_for_windows(std::size_t count, std::chrono::milliseconds timeout = 20000ms);

  fs::path home() const { return home_; }
  std::map<std::string, std::string> env_;

 private:
  fs::path home_;
  std::vector<std::unique_ptr<Process>> processes_;
};

}  // namespace marlguide::testing

#include "harness.hpp"
#include "test_files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

extern char** environ;

namespace marlguide::testing {
namespace {

fs::path env_path(const char* name) {
  const char* v = std::getenv(name);
  if (!v) throw std::runtime_error(std::string(name) + " is not set; run through meson test");
  return v;
}

// Runs a command to its end and returns its standard output.
std::optional<std::string> capture(const std::vector<std::string>& argv) {
  static int counter = 0;
  const fs::path dir = fs::temp_directory_path();
  const auto tag = std::to_string(getpid()) + "-" + std::to_string(++counter);
  Process p(argv, {}, dir / ("capture-" + tag));
  auto status = p.wait_exit(5000ms);
  if (!status) return std::nullopt;
  std::string out = p.stdout_text();
  fs::remove_all(dir / ("capture-" + tag));
  if (*status != 0) return std::nullopt;
  return out;
}

void collect_windows(const nlohmann::json& node, std::vector<SwayWindow>& out) {
  if (node.contains("app_id") && node["app_id"].is_string()) {
    const auto& r = node["rect"];
    out.push_back(SwayWindow{
        node["app_id"].get<std::string>(),
        node.value("name", nlohmann::json("")).is_string() ? node.value("name", std::string())
                                                           : std::string(),
        r["x"].get<int>(), r["y"].get<int>(), r["width"].get<int>(), r["height"].get<int>(),
        node.value("pid", 0), node.value("visible", false)});
  }
  for (const char* key : {"nodes", "floating_nodes"})
    if (node.contains(key))
      for (const auto& child : node[key]) collect_windows(child, out);
}

}  // namespace

fs::path source_root() { return env_path("MARLGUIDE_SOURCE_ROOT"); }
fs::path build_root() { return env_path("MARLGUIDE_BUILD_ROOT"); }
fs::path marlguide_binary() { return build_root() / "marlguide"; }

namespace {

// Waits stretch by MARLGUIDE_TEST_TIME_SCALE (a whole number, default 1) where everything runs
// slower, such as under the sanitizers.
int time_scale() {
  const char* text = std::getenv("MARLGUIDE_TEST_TIME_SCALE");
  const int scale = text ? std::atoi(text) : 1;
  return scale > 1 ? scale : 1;
}

}  // namespace

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout * time_scale();
  while (true) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
}

Process::Process(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                 const fs::path& log_dir) {
  fs::create_directories(log_dir);
  out_ = log_dir / "stdout";
  err_ = log_dir / "stderr";

  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq != std::string::npos) merged[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : env) merged[k] = v;
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : merged) env_strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
}

Process::~Process() { kill_now(); }

std::optional<int> Process::wait_exit(std::chrono::milliseconds timeout) {
  if (status_) return status_;
  wait_until(
      [this] {
        int st = 0;
        if (waitpid(pid_, &st, WNOHANG) == pid_)
          status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return status_.has_value();
      },
      timeout);
  return status_;
}

bool Process::running() { return !wait_exit(0ms).has_value(); }

void Process::kill_now() {
  if (status_ || pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  if (!wait_exit(2000ms)) {
    ::kill(pid_, SIGKILL);
    wait_exit(2000ms);
  }
}

std::string Process::stdout_text() const { return read_file(out_); }
std::string Process::stderr_text() const { return read_file(err_); }

std::vector<SwayWindow> sway_windows() {
  std::vector<SwayWindow> out;
  auto tree = capture({"swaymsg", "-r", "-t", "get_tree"});
  if (!tree) return out;
  collect_windows(nlohmann::json::parse(*tree, nullptr, false), out);
  return out;
}

bool swaymsg(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"swaymsg", "-r"};
  argv.insert(argv.end(), args.begin(), args.end());
  auto out = capture(argv);
  if (!out) return false;
  auto reply = nlohmann::json::parse(*out, nullptr, false);
  if (!reply.is_array()) return false;
  for (const auto& r : reply)
    if (!r.value("success", false)) return false;
  return true;
}

void AppTest::SetUp() {
  ASSERT_NE(std::getenv("WAYLAND_DISPLAY"), nullptr)
      << "integration tests run inside tools/with-compositor";
  char tmpl[] = "/tmp/marlguide-test.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  home_ = tmpl;
  for (const char* sub : {".config", ".local/share", ".cache", "logs"})
    fs::create_directories(home_ / sub);
  env_["HOME"] = home_.string();
  env_["XDG_CONFIG_HOME"] = (home_ / ".config").string();
  env_["XDG_DATA_HOME"] = (home_ / ".local/share").string();
  env_["XDG_CACHE_HOME"] = (home_ / ".cache").string();
}

void AppTest::TearDown() {
  for (auto& p : processes_) p->kill_now();
  // The next test starts on an empty screen.
  EXPECT_TRUE(wait_until([this] { return app_windows().empty(); }, 3000ms))
      << "a window of this test outlived its process";
  processes_.clear();
  if (!HasFailure()) fs::remove_all(home_);
}

Process& AppTest::start(std::vector<std::string> args) {
  args.insert(args.begin(), marlguide_binary().string());
  const auto log_dir = home_ / "logs" / std::to_string(processes_.size());
  processes_.push_back(std::make_unique<Process>(std::move(args), env_, log_dir));
  return *processes_.back();
}

Process& AppTest::run(std::vector<std::string> args, std::chrono::milliseconds timeout) {
  Process& p = start(std::move(args));
  p.wait_exit(timeout);
  return p;
}

std::vector<SwayWindow> AppTest::app_windows() {
  std::vector<SwayWindow> mine;
  for (auto& w : sway_windows())
    if (w.app_id == "com.marlworks.marlguide") mine.push_back(w);
  return mine;
}

bool AppTest::wait_for_windows(std::size_t count, std::chrono::milliseconds timeout) {
  return wait_until([&] { return app_windows().size() == count; }, timeout);
}

}  // namespace marlguide::testing

// `meson install` into a staging folder, then the installed program against the installed
// content, and a program of the desktop family built against the installed theme library.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "harness.hpp"
#include "test_files.hpp"

namespace marlguide::testing {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kAppId = "com.marlworks.marlguide";

std::string env_or(const char* name, std::string fallback) {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

// Runs a command to its end; its output and status.
struct Ran {
  std::optional<int> status;
  std::string out, err;
};

Ran run_command(std::vector<std::string> argv, const fs::path& log_dir,
                const std::map<std::string, std::string>& env = {},
                std::chrono::milliseconds timeout = 120000ms) {
  Process p(std::move(argv), env, log_dir);
  Ran r;
  r.status = p.wait_exit(timeout);
  r.out = p.stdout_text();
  r.err = p.stderr_text();
  return r;
}

// The one path under `root` whose end is `suffix`, or empty.
fs::path find_installed(const fs::path& root, const fs::path& suffix) {
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto rel = entry.path().lexically_relative(root).generic_string();
    if (rel.ends_with(suffix.generic_string())) return entry.path();
  }
  return {};
}

class InstalledTree : public AppTest {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/marlguide-install.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    stage_ = tmpl;
    const Ran installed = run_command({"meson", "install", "-C", build_root().string(),
                                       "--no-rebuild", "--quiet", "--destdir", stage_.string()},
                                      stage_.parent_path() / (stage_.filename().string() + "-log"));
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
    binary_ = find_installed(stage_, "bin/marlguide");
    library_ = find_installed(stage_, "libmarl-theme.so.0");
  }
  static void TearDownTestSuite() {
    fs::remove_all(stage_);
    fs::remove_all(stage_.parent_path() / (stage_.filename().string() + "-log"));
  }

  // Where the program reads its built-in content, inside the staging folder.
  static fs::path content() { return stage_ / "usr/share/marlguide/content"; }

  // Starts the installed program on the compositor, with the installed library.
  Process& start_installed(const fs::path& content_root) {
    env_["MARLGUIDE_CONTENT_DIR"] = content_root.string();
    env_["LD_LIBRARY_PATH"] = library_.parent_path().string();
    processes_.push_back(std::make_unique<Process>(
        std::vector<std::string>{binary_.string()}, env_,
        home() / "logs" / ("installed-" + std::to_string(processes_.size()))));
    return *processes_.back();
  }

  void TearDown() override {
    processes_.clear();
    AppTest::TearDown();
  }

  static inline fs::path stage_, binary_, library_;
  std::vector<std::unique_ptr<Process>> processes_;
};

TEST_F(InstalledTree, HoldsTheProgramItsContentAndTheDesktopFiles) {
  ASSERT_FALSE(binary_.empty()) << "bin/marlguide is installed";
  ASSERT_FALSE(library_.empty()) << "libmarl-theme.so.0 is installed";

  // Every file of the shipped content, byte for byte, and nothing else.
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(source_root() / "content")) {
    if (!entry.is_regular_file()) continue;
    const auto rel = entry.path().lexically_relative(source_root() / "content");
    ASSERT_TRUE(fs::is_regular_file(content() / rel)) << rel;
    EXPECT_EQ(read_file(content() / rel), read_file(entry.path())) << rel;
    ++files;
  }
  std::size_t installed = 0;
  for (const auto& entry : fs::recursive_directory_iterator(content()))
    installed += entry.is_regular_file();
  EXPECT_EQ(installed, files);

  const std::string id(kAppId);
  const std::pair<std::string, std::string> data[] = {
      {"share/applications/" + id + ".desktop", "data/" + id + ".desktop"},
      {"share/metainfo/" + id + ".metainfo.xml", "data/" + id + ".metainfo.xml"},
      {"share/icons/hicolor/scalable/apps/" + id + ".svg", "data/" + id + ".svg"},
      {"include/marl-theme/theme.hpp", "marl-theme/include/marl-theme/theme.hpp"},
      {"include/marl-theme/stylesheet.hpp", "marl-theme/include/marl-theme/stylesheet.hpp"},
  };
  for (const auto& [where, source] : data) {
    const fs::path path = find_installed(stage_, where);
    ASSERT_FALSE(path.empty()) << where;
    EXPECT_EQ(read_file(path), read_file(source_root() / source)) << where;
  }
  const fs::path pc = find_installed(stage_, "pkgconfig/marl-theme.pc");
  ASSERT_FALSE(pc.empty());
  EXPECT_THAT(read_file(pc), HasSubstr("gtkmm-4.0"));
}

TEST_F(InstalledTree, ProgramLoadsTheInstalledContentWithoutAMessage) {
  ASSERT_FALSE(binary_.empty());
  Process& app = start_installed(content());
  ASSERT_TRUE(wait_for_windows(1, 10000ms)) << app.stderr_text();
  EXPECT_EQ(app_windows().at(0).title, "MOS Help");
  // The theme library the program runs with is the installed one, not the build tree's.
  const std::string maps = read_file("/proc/" + std::to_string(app.pid()) + "/maps");
  const auto lib = maps.find("libmarl-theme.so");
  ASSERT_NE(lib, std::string::npos);
  EXPECT_EQ(maps.substr(maps.rfind(' ', lib) + 1, stage_.string().size()), stage_.string());

  ASSERT_TRUE(swaymsg({"[app_id=" + std::string(kAppId) + "]", "kill"}));
  EXPECT_EQ(app.wait_exit(10000ms), 0);
  EXPECT_EQ(app.stderr_text(), "");

  // The same run over a copy with one broken guide speaks up: the content read above was the
  // installed tree.
  const fs::path copy = home() / "content-copy";
  fs::copy(content(), copy, fs::copy_options::recursive);
  write_file(copy / "getting-started/welcome/meta.toml", "title = \n");
  Process& broken = start_installed(copy);
  ASSERT_TRUE(wait_for_windows(1, 10000ms));
  EXPECT_THAT(broken.stderr_text(), HasSubstr("failed to parse"));
}

TEST_F(InstalledTree, ThemeLibraryBuildsAFamilyProgramThroughPkgConfig) {
  const fs::path pc = find_installed(stage_, "pkgconfig/marl-theme.pc");
  ASSERT_FALSE(pc.empty());
  // Moved to the staging folder, as a packager's tree would be.
  std::string text = read_file(pc);
  const auto prefix = text.find("prefix=");
  ASSERT_EQ(prefix, 0u) << text;
  const auto line_end = text.find('\n');
  const std::string installed_prefix = text.substr(7, line_end - 7);
  text.replace(7, line_end - 7, (stage_ / installed_prefix.substr(1)).string());
  write_file(home() / "pc/marl-theme.pc", text);

  write_file(home() / "consumer.cpp", R"(#include <marl-theme/palette.hpp>
#include <marl-theme/stylesheet.hpp>
#include <marl-theme/theme.hpp>

#include <cstdio>

int main() {
  marl::theme::ThemeColors colors;
  colors.color1 = "#123456";
  std::fputs(marl::theme::generate_stylesheet(colors).c_str(), stdout);
  // The GTK side links too.
  return &marl::theme::apply_theme != nullptr ? 0 : 1;
}
)");
  const std::string compile = env_or("MARLGUIDE_CXX", "c++") + " -std=c++23 " +
                              env_or("MARLGUIDE_CXXFLAGS", "") +
                              " consumer.cpp -o consumer $(pkg-config --cflags --libs marl-theme)";
  const Ran built =
      run_command({"sh", "-c", "cd \"$0\" && " + compile, home().string()}, home() / "logs/cc",
                  {{"PKG_CONFIG_PATH", (home() / "pc").string()}});
  ASSERT_EQ(built.status, 0) << compile << "\n" << built.err;

  const Ran ran = run_command({(home() / "consumer").string()}, home() / "logs/consumer",
                              {{"LD_LIBRARY_PATH", library_.parent_path().string()}});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_THAT(ran.out, HasSubstr("@define-color"));
  EXPECT_THAT(ran.out, HasSubstr("#123456"));
}

}  // namespace
}  // namespace marlguide::testing

// The theme on a real display: which stylesheet is applied, and live reload when the runtime
// stylesheet changes on disk. Observed through the theme provider's content as GTK parsed it.

#include "marl-theme/theme.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "gtk_app.hpp"
#include "marl-theme/colors.hpp"
#include "marl-theme/stylesheet.hpp"
#include "test_files.hpp"

namespace marl::theme {
namespace {

namespace fs = std::filesystem;
using marlguide::testing::write_file;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

// Runs the main loop until `done` holds or the time is up; returns its last answer.
bool spin_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    marlguide::testing::drain_main_loop();
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  marlguide::testing::drain_main_loop();
  return done();
}

void spin_for(std::chrono::milliseconds time) {
  spin_until([] { return false; }, time);
}

// A stylesheet as GTK reads it back, so that texts compare by what they mean to GTK.
std::string as_gtk_reads(std::string_view css) {
  auto provider = Gtk::CssProvider::create();
  provider->load_from_string(std::string(css));
  return provider->to_string();
}

std::string applied() {
  auto provider = theme_slot().provider();
  return provider ? std::string(provider->to_string()) : std::string("(no provider)");
}

const std::string kGreen = "window { background-color: #00ff00; }\n";
const std::string kBlue = "window { background-color: #0000ff; }\n";

class LiveReload : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ignored;
    fs::remove(runtime_, ignored);
    write_file(wal_, R"({"colors": {"color4": "#123456"}})");
    apply_and_watch_theme();
    // Events of earlier tests may still be on their way; let them land first.
    spin_for(200ms);
    ASSERT_NE(theme_monitor(), nullptr);
    ASSERT_EQ(applied(), generated());
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& e : fs::directory_iterator(runtime_.parent_path(), ignored))
      fs::remove(e.path(), ignored);
    spin_for(100ms);
  }

  std::string generated() const { return as_gtk_reads(generate_stylesheet(load_theme_colors())); }

  const fs::path runtime_ = runtime_stylesheet_path();
  const fs::path wal_ = fs::path(std::getenv("XDG_CACHE_HOME")) / "wal" / "colors.json";
};

TEST_F(LiveReload, NoRuntimeStylesheetAppliesTheGeneratedTheme) {
  ThemeColors from_wal;
  from_wal.color4 = "#123456";
  EXPECT_EQ(applied(), as_gtk_reads(generate_stylesheet(from_wal)));
  EXPECT_THAT(applied(), HasSubstr("@define-color accent rgb(18,52,86);"));
}

TEST_F(LiveReload, WritingTheRuntimeStylesheetRethemes) {
  write_file(runtime_, kGreen);
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kGreen); })) << applied();
  write_file(runtime_, kBlue);
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kBlue); })) << applied();
}

TEST_F(LiveReload, RenamingAFinishedFileOntoTheNameRethemes) {
  const fs::path temp = runtime_.parent_path() / ".theme.css.new";
  write_file(temp, kGreen);
  spin_for(300ms);
  EXPECT_EQ(applied(), generated()) << "a file of another name is not the theme";
  fs::rename(temp, runtime_);
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kGreen); })) << applied();
}

TEST_F(LiveReload, OtherFilesAndTheColourFileDoNotRetheme) {
  const std::string before = applied();
  // Both changes would show if the theme were applied again now.
  write_file(wal_, R"({"colors": {"color4": "#abcdef"}})");
  write_file(runtime_.parent_path() / "other.css", kGreen);
  spin_for(500ms);
  EXPECT_EQ(applied(), before);

  // The monitor was listening all along: the stylesheet's own name still works.
  write_file(runtime_, kBlue);
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kBlue); }));
}

TEST_F(LiveReload, DeletingTheRuntimeStylesheetFallsBackToTheGeneratedTheme) {
  write_file(runtime_, kGreen);
  ASSERT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kGreen); }));
  fs::remove(runtime_);
  EXPECT_TRUE(spin_until([&] { return applied() == generated(); })) << applied();
}

TEST_F(LiveReload, AnEmptyRuntimeStylesheetIsAnEmptyTheme) {
  write_file(runtime_, "");
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(""); })) << applied();
}

TEST_F(LiveReload, ASecondCallKeepsOneProviderAndOneMonitor) {
  const auto provider = theme_slot().provider();
  const auto monitor = theme_monitor();
  write_file(runtime_, kGreen);
  ASSERT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kGreen); }));

  write_file(wal_, "{}");
  fs::remove(runtime_);
  spin_for(300ms);
  apply_and_watch_theme();
  EXPECT_EQ(applied(), generated()) << "the second call applies again";
  EXPECT_EQ(theme_slot().provider(), provider);
  EXPECT_EQ(theme_monitor(), monitor);
  write_file(runtime_, kBlue);
  EXPECT_TRUE(spin_until([&] { return applied() == as_gtk_reads(kBlue); }));
}

TEST_F(LiveReload, AStylesheetGtkCannotFullyReadIsReportedOnceAndTheRestApplied) {
  const std::string broken =
      "window { background-color: #00ff00; }\nbutton { colr: red; }\nlabel { color: nonsense; }\n";
  ::testing::internal::CaptureStderr();
  write_file(runtime_, broken);
  const bool applied_rest =
      spin_until([&] { return applied().find("0,255,0") != std::string::npos; });
  spin_for(200ms);
  const std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(applied_rest) << applied();
  EXPECT_THAT(err, HasSubstr(runtime_.string() + ": GTK could not read 2 part(s)"));
  EXPECT_THAT(err, Not(HasSubstr("Theme parser error"))) << "GTK's own warnings are replaced";
  // Each application of the file says it once: one line per reload, never one per problem.
  std::size_t lines = 0, reports = 0;
  for (std::size_t at = 0; (at = err.find('\n', at)) != std::string::npos; ++at) ++lines;
  for (std::size_t at = 0; (at = err.find("could not read", at)) != std::string::npos; ++at)
    ++reports;
  EXPECT_EQ(lines, reports) << err;
  EXPECT_GE(reports, 1u);
}

TEST_F(LiveReload, AColourFileWithTrailingGarbageGivesTheDefaults) {
  write_file(wal_, R"({"colors": {"color4": "#abcdef"}} and more)");
  apply_theme();
  EXPECT_EQ(applied(), as_gtk_reads(generate_stylesheet(ThemeColors{})));
}

TEST(WatchRuntimeStylesheet, CreatesTheDirectoryAndMatchesThePathByComponents) {
  char base[] = "/tmp/marl-theme-watch.XXXXXX";
  ASSERT_NE(mkdtemp(base), nullptr);
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old ? old : "";
  // Repeated and trailing separators: the watched path still equals the event's path.
  setenv("XDG_RUNTIME_DIR", (std::string(base) + "//run/").c_str(), 1);
  int calls = 0;
  auto monitor = watch_runtime_stylesheet([&] { ++calls; });
  setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);

  ASSERT_NE(monitor, nullptr);
  const fs::path dir = fs::path(base) / "run" / "marl";
  EXPECT_TRUE(fs::is_directory(dir)) << "made before it is watched";
  write_file(dir / "unrelated.css", kGreen);
  spin_for(300ms);
  EXPECT_EQ(calls, 0);
  write_file(dir / "theme.css", kGreen);
  EXPECT_TRUE(spin_until([&] { return calls > 0; }));
  monitor.reset();
  fs::remove_all(base);
}

}  // namespace
}  // namespace marl::theme

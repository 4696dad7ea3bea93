// The generated stylesheet and where a ready-made one is looked for.

#include "marl-theme/stylesheet.hpp"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "marl-theme/palette.hpp"
#include "test_files.hpp"

namespace marl::theme {
namespace {

using marlguide::testing::ScopedEnv;
using std::nullopt;

std::string golden(const char* name) {
  const char* root = std::getenv("MARLGUIDE_SOURCE_ROOT");
  std::ifstream in(std::filesystem::path(root ? root : ".") / "tests/unit/theme" / name,
                   std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Stylesheet, DefaultColoursGiveTheGoldenStylesheet) {
  const std::string expected = golden("default_theme.css");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(generate_stylesheet(ThemeColors{}), expected);
}

TEST(Stylesheet, ColourTextsFlowInUnchanged) {
  ThemeColors c;
  c.color4 = "rgb(1, 2, 3)";
  c.color1 = "not even a colour";
  const std::string css = generate_stylesheet(c);
  EXPECT_TRUE(css.starts_with(palette_css(c)));
  EXPECT_NE(css.find("@define-color accent rgb(1, 2, 3);\n"), std::string::npos);
  EXPECT_NE(css.find("@define-color on-accent #f5f5f5;\n"), std::string::npos);
  EXPECT_NE(css.find("@define-color red not even a colour;\n"), std::string::npos);
}

TEST(RuntimeStylesheet, PrefersTheRuntimeDirectoryThenTheCache) {
  struct Case {
    const char* name;
    std::optional<std::string> runtime, cache, home;
    std::string path;
  };
  const Case cases[] = {
      {"runtime directory", "/run/user/7", "/c", "/h", "/run/user/7/marl/theme.css"},
      {"a relative runtime directory is still used", "rel", "/c", "/h", "rel/marl/theme.css"},
      {"empty runtime directory", "", "/c", "/h", "/c/marl/theme.css"},
      {"unset runtime directory", nullopt, "/c", "/h", "/c/marl/theme.css"},
      {"runtime directory not UTF-8", "/run/\xff", "/c", "/h", "/c/marl/theme.css"},
      {"relative cache ignored", nullopt, "cache", "/h", "/h/.cache/marl/theme.css"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime), cache("XDG_CACHE_HOME", c.cache),
        home("HOME", c.home);
    EXPECT_EQ(runtime_stylesheet_path(), c.path);
  }
}

TEST(RuntimeStylesheet, WithoutRuntimeOrCacheDirectoryItIsUnderTmp) {
  // Only a user without a password-database entry has no home; root can become one.
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to a user without an entry";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) ::unsetenv(name);
    constexpr uid_t kNobodyKnows = 54321;
    if (::getpwuid(kNobodyKnows) != nullptr || ::setresuid(kNobodyKnows, kNobodyKnows, 0) != 0)
      ::_exit(2);
    const bool ok = runtime_stylesheet_path() == "/tmp/marl/theme.css" &&
                    wal_colors_path() == "~/.cache/wal/colors.json";
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace marl::theme

// Where the configuration and cache directories are.

#include "config/paths.hpp"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_files.hpp"

namespace marlguide::config {
namespace {

using std::nullopt;
using testing::ScopedEnv;

std::string password_home() {
  const passwd* pw = ::getpwuid(::getuid());
  return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

TEST(Paths, FollowTheEnvironmentWithItsFallbacks) {
  struct Case {
    const char* name;
    std::optional<std::string> home, xdg_config, xdg_cache;
    std::string config;
    std::optional<std::string> cache;
  };
  const std::string pw = password_home();
  ASSERT_FALSE(pw.empty()) << "the test needs a password-database home";
  const Case cases[] = {
      {"absolute XDG values win", "/h", "/cfg", "/cch", "/cfg", "/cch"},
      {"unset XDG values use the home", "/h", nullopt, nullopt, "/h/.config", "/h/.cache"},
      {"relative XDG values are ignored", "/h", "rel/cfg", "rel", "/h/.config", "/h/.cache"},
      {"empty XDG values are ignored", "/h", "", "", "/h/.config", "/h/.cache"},
      {"an empty HOME falls through to the password database", "", nullopt, nullopt,
       pw + "/.config", pw + "/.cache"},
      {"an unset HOME too", nullopt, nullopt, nullopt, pw + "/.config", pw + "/.cache"},
      {"HOME is taken as it is", "relative home", nullopt, nullopt, "relative home/.config",
       "relative home/.cache"},
      {"bytes that are not UTF-8 pass through", "/h\xff", nullopt, "/c\xfe", "/h\xff/.config",
       "/c\xfe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnv home("HOME", c.home), cfg("XDG_CONFIG_HOME", c.xdg_config),
        cache("XDG_CACHE_HOME", c.xdg_cache);
    EXPECT_EQ(config_dir().native(), c.config);
    const auto got = cache_dir();
    EXPECT_EQ(got ? std::optional<std::string>(got->native()) : nullopt, c.cache);
  }
}

TEST(Paths, WithoutAnyHomeTheConfigIsRootsAndThereIsNoCache) {
  // Only a user without a password-database entry has no home; root can become one.
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to a user without an entry";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CACHE_HOME");
    constexpr uid_t kNobodyKnows = 54321;
    if (::getpwuid(kNobodyKnows) != nullptr || ::setresuid(kNobodyKnows, kNobodyKnows, 0) != 0)
      ::_exit(2);
    const bool ok = config_dir() == "/root/.config" && !cache_dir() && !home_dir();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace marlguide::config

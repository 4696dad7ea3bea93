// The temporary binding's text, read back by a real shell: the user's command runs as written
// and the event arrives as one argument, whatever quotes the command holds.

#include "ui/tour/rebind.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace marlguide::ui::tour {
namespace {

namespace fs = std::filesystem;

TEST(TourRebind, ReplacesTheUsersBindingWithOneThatAlsoReportsTheEvent) {
  const auto r = temporary_rebind("super + e", "exec,thunar", "files-opened");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->keys, "SUPER,E");
  EXPECT_EQ(r->saved, "SUPER,E,exec,thunar");
  EXPECT_EQ(r->binding, "SUPER,E,exec,sh -c 'thunar ; marlguide --tour-event files-opened'");
}

TEST(TourRebind, AKeyWithoutModifiersKeepsAnEmptyModifierField) {
  const auto r = temporary_rebind("print", "exec,grim", "shot-taken");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->saved, ",PRINT,exec,grim");
  EXPECT_EQ(r->binding, ",PRINT,exec,sh -c 'grim ; marlguide --tour-event shot-taken'");
}

TEST(TourRebind, SingleQuotesInTheCommandAreClosedEscapedAndReopened) {
  const auto r = temporary_rebind("super + n", "exec,notify-send 'hi'", "E");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->saved, "SUPER,N,exec,notify-send 'hi'");
  EXPECT_EQ(r->binding, "SUPER,N,exec,sh -c 'notify-send '\\''hi'\\'' ; marlguide --tour-event E'");
  EXPECT_EQ(escape_single_quotes("''"), "'\\'''\\''");
  EXPECT_EQ(escape_single_quotes("no quotes"), "no quotes");
}

TEST(TourRebind, OnlyBindingsThatStartAProgramAreReplaced) {
  for (const std::optional<std::string>& dispatcher :
       {std::optional<std::string>{}, std::optional<std::string>{"workspace,1"},
        std::optional<std::string>{"exec"}, std::optional<std::string>{"Exec,foot"},
        std::optional<std::string>{"execr,foot"}})
    EXPECT_FALSE(temporary_rebind("super + 1", dispatcher, "E").has_value())
        << dispatcher.value_or("(none)");
  EXPECT_FALSE(temporary_rebind(" + ", "exec,foot", "E").has_value()) << "no key to bind";
}

TEST(TourRebind, EventNamesOutsideTheSafeSetAreRefused) {
  for (const char* good : {"launcher-opened", "a", "Step_2.done", "--onboard", "0"})
    EXPECT_TRUE(safe_event_name(good)) << good;
  for (const std::string& bad :
       std::vector<std::string>{"", "x; touch /tmp/owned", "$(touch /tmp/owned)", "`id`", "a b",
                                "a'b", "a\"b", "a\nb", "a\\b", "a|b", "a&b", "a>b", "*", "a#b",
                                "a,b", "$HOME", "caf\xc3\xa9", std::string("a\0b", 3), "a\tb"}) {
    EXPECT_FALSE(safe_event_name(bad)) << bad;
    EXPECT_FALSE(temporary_rebind("super + e", "exec,thunar", bad).has_value()) << bad;
  }
}

// Runs the binding's command the way the compositor does (`sh -c` with the text after the
// dispatcher), with a `marlguide` on PATH that records its arguments.
class ThroughTheShell : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/marlguide-rebind.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::ofstream(dir_ / "marlguide") << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; "
                                         "done > \""
                                      << (dir_ / "args").string() << "\"\n";
    fs::permissions(dir_ / "marlguide", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(dir_); }

  int run_binding(const std::string& binding) {
    // MODS,KEY,exec,<command>: the command is everything after the third comma.
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) at = binding.find(',', at) + 1;
    const std::string command = binding.substr(at);
    const std::string path = dir_.string() + ":" + std::getenv("PATH");
    pid_t pid = fork();
    if (pid == 0) {
      setenv("PATH", path.c_str(), 1);
      if (chdir(dir_.c_str()) != 0) _exit(126);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

  std::string read(const char* name) {
    std::ifstream in(dir_ / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

TEST_F(ThroughTheShell, TheUsersCommandRunsAsWrittenAndThenTheEventIsReported) {
  const auto r = temporary_rebind("super + n", "exec,printf '%s|' 'it'\\''s' \"a  b\" > out",
                                  "launcher-opened");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(run_binding(r->binding), 0);
  EXPECT_EQ(read("out"), "it's|a  b|");
  EXPECT_EQ(read("args"), "[--tour-event]\n[launcher-opened]\n");
}

}  // namespace
}  // namespace marlguide::ui::tour

// Captured runs of small scripts: arguments, environment, streams, outcomes and the limit.

#include "services/captured_run.hpp"

#include <gtest/gtest.h>

#include <chrono>

#include "fake_programs.hpp"
#include "stdin_pipe.hpp"

namespace marlguide::services {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class CapturedRun : public testing::FakePrograms {};

TEST_F(CapturedRun, PassesEachArgumentAsIsUnderTheCLocaleWithNullInput) {
  program("probe",
          "printf '%s\\n' \"$#\" \"$@\"\n"
          "echo \"LC_ALL=$LC_ALL LANG=$LANG\"\n"
          "cat\n"  // would wait for input if standard input were inherited
          "echo oops >&2");
  setenv("LANG", "de_DE.UTF-8", 1);
  testing::StdinPipe stdin_pipe;
  const auto out = run_captured("probe", {"-j", "a b", "it's; $(x) *", ""}, 2000ms);
  unsetenv("LANG");
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.stdout, "4\n-j\na b\nit's; $(x) *\n\nLC_ALL=C LANG=C\n");
  EXPECT_EQ(out.stderr, "oops\n");
}

TEST_F(CapturedRun, SucceedsOnlyOnAZeroWaitStatus) {
  struct Case {
    const char* body;
    bool success;
    const char* out;
  };
  const Case cases[] = {
      {"echo '[]'", true, "[]\n"},
      {"echo '[]' >&2; exit 0", true, ""},
      {"echo '[]'; exit 1", false, "[]\n"},
      {"exit 3", false, ""},
      {"echo '[]'; kill -9 $$", false, "[]\n"},
      {"kill -TERM $$", false, ""},
  };
  for (const auto& c : cases) {
    program("outcome", c.body);
    const auto out = run_captured("outcome", {}, 2000ms);
    EXPECT_EQ(out.success, c.success) << c.body;
    EXPECT_EQ(out.stdout, c.out) << c.body;
  }
}

TEST_F(CapturedRun, MissingProgramGivesAnEmptyFailure) {
  const auto out = run_captured("no-such-program-here", {"-j"}, 2000ms);
  EXPECT_FALSE(out.success);
  EXPECT_EQ(out.stdout, "");
  EXPECT_EQ(out.stderr, "");
}

TEST_F(CapturedRun, DrainsBothStreamsWhileTheChildWrites) {
  // Each burst is several pipe buffers; a reader of one stream at a time would stall the child.
  program("flood",
          "head -c 300000 /dev/zero | tr '\\0' o\n"
          "head -c 300000 /dev/zero | tr '\\0' e >&2\n"
          "head -c 300000 /dev/zero | tr '\\0' o\n");
  const auto out = run_captured("flood", {}, 20000ms);
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.stdout, std::string(600000, 'o'));
  EXPECT_EQ(out.stderr, std::string(300000, 'e'));
}

TEST_F(CapturedRun, ChildStillRunningAtTheLimitIsKilledKeepingItsOutput) {
  program("hang", "echo partial; echo half >&2; exec sleep 30");
  const auto start = Clock::now();
  const auto out = run_captured("hang", {}, 500ms);
  const auto took = Clock::now() - start;
  EXPECT_FALSE(out.success);
  EXPECT_EQ(out.stdout, "partial\n");
  EXPECT_EQ(out.stderr, "half\n");
  EXPECT_GE(took, 500ms) << "the child had its full time";
  EXPECT_LT(took, 5s) << "the child was not waited for to its own end";
}

TEST_F(CapturedRun, DescendantHoldingThePipeCannotOutlastTheLimit) {
  // The child exits at once, but what it left in the background keeps its output open.
  program("forks", "sleep 4 &\necho '[]'");
  const auto start = Clock::now();
  const auto out = run_captured("forks", {}, 500ms);
  const auto took = Clock::now() - start;
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.stdout, "[]\n");
  EXPECT_LT(took, 4s);
}

}  // namespace
}  // namespace marlguide::services

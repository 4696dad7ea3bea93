// Detached launches: the shell text as written, inherited streams, reaping, and a shell that
// cannot be found.

#include "services/exec.hpp"

#include <gtest/gtest.h>

#include "fake_programs.hpp"
#include "stdin_pipe.hpp"

namespace marlguide::services {
namespace {

class LaunchDetached : public testing::FakePrograms {};

TEST_F(LaunchDetached, HandsTheTextToTheShellUnchanged) {
  const auto out = file("out").string();
  launch_detached("cd '" + file("").string() +
                  "' && printf '%s\\n' \"a b\" 'c;d' | tr a-z A-Z > out.tmp; "
                  "echo \"$((6 * 7))\" >> out.tmp && mv out.tmp out");
  ASSERT_TRUE(eventually([&] { return std::filesystem::exists(out); }));
  EXPECT_EQ(read(out), "A B\nC;D\n42\n");
}

TEST_F(LaunchDetached, InheritsAllThreeStandardStreams) {
  testing::StdinPipe stdin_pipe;
  stdin_pipe.write("typed\n");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  launch_detached("read line; echo \"out $line\"; echo \"err $line\" >&2; touch '" +
                  file("done").string() + "'");
  const bool ended = eventually([&] { return std::filesystem::exists(file("done")); });
  const auto out = ::testing::internal::GetCapturedStdout();
  const auto err = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(ended);
  EXPECT_EQ(out, "out typed\n");
  EXPECT_EQ(err, "err typed\n");
}

TEST_F(LaunchDetached, EndedChildLeavesNoZombie) {
  const auto pid_file = file("pid");
  launch_detached("echo $$ > '" + pid_file.string() + ".tmp' && mv '" + pid_file.string() +
                  ".tmp' '" + pid_file.string() + "'");
  ASSERT_TRUE(eventually([&] { return std::filesystem::exists(pid_file); }));
  const auto proc =
      std::filesystem::path("/proc") / read(pid_file).substr(0, read(pid_file).find('\n'));
  // A zombie keeps its /proc entry until its parent reaps it.
  EXPECT_TRUE(eventually([&] { return !std::filesystem::exists(proc); })) << proc;
}

TEST_F(LaunchDetached, MissingShellIsReportedWithTheCommandAndTheSystemError) {
  empty_path();
  ::testing::internal::CaptureStderr();
  launch_detached("echo 'hi' | wc -c");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "marlguide: failed to run `echo 'hi' | wc -c`: No such file or directory\n");
}

TEST_F(LaunchDetached, StartInheritedReportsAProgramThatCannotRun) {
  program("not-executable", "true");
  std::filesystem::permissions(file("bin/not-executable"), std::filesystem::perms::owner_read);
  auto missing = start_inherited({"no-such-program-here"});
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error(), "No such file or directory");
  auto denied = start_inherited({file("bin/not-executable").string()});
  ASSERT_FALSE(denied.has_value());
  EXPECT_EQ(denied.error(), "Permission denied");
}

}  // namespace
}  // namespace marlguide::services

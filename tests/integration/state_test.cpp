// The real binary and the state file: what --onboard and --autostart do to it, and how a
// damaged or unwritable state file is survived.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "harness.hpp"
#include "test_files.hpp"

namespace marlguide::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class StateFile : public AppTest {
 protected:
  fs::path state() { return home() / ".config" / "marlguide" / "state.toml"; }
  fs::path backup() { return home() / ".config" / "marlguide" / "state.toml.bak"; }
};

TEST_F(StateFile, OnboardRewritesExactlyTheTwoKeysAndKeepsThePreviousVersion) {
  const std::string hand = R"(# my settings, by hand
general = { mode = "dad" }   # big text

[onboarding]
step = 4        # got bored here
extra = "mine"
completed = true
)";
  write_file(state(), hand);
  Process& p = start({"--onboard"});
  const std::string want = R"(# my settings, by hand
general = { mode = "dad" }   # big text

[onboarding]
step = 0        # got bored here
extra = "mine"
completed = false
)";
  EXPECT_TRUE(wait_until([&] { return read_file(state()) == want; })) << read_file(state());
  EXPECT_EQ(read_file(backup()), R"(# my settings, by hand
general = { mode = "dad" }   # big text

[onboarding]
step = 4        # got bored here
extra = "mine"
completed = false
)") << "the backup holds the version before the last write";
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(app_windows().empty()) << "--onboard presents nothing";
  EXPECT_TRUE(p.running());
  EXPECT_EQ(p.stderr_text(), "");
}

TEST_F(StateFile, OnboardWithoutAFileCreatesItInline) {
  start({"--onboard"});
  EXPECT_TRUE(wait_until([&] {
    return read_file(state()) == "onboarding = { completed = false, step = 0 }\n";
  })) << read_file(state());
}

TEST_F(StateFile, AutostartOnlyReadsTheFile) {
  const std::string done = "[onboarding]\ncompleted = true\n";
  write_file(state(), done);
  Process& p = start({"--autostart"});
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(p.running()) << "stays resident with its window hidden";
  EXPECT_TRUE(app_windows().empty());
  EXPECT_EQ(read_file(state()), done);
  EXPECT_FALSE(fs::exists(backup()));
  EXPECT_EQ(p.stderr_text(), "");
}

TEST_F(StateFile, AnUnparsableFileIsReportedOnceBackedUpAndTheWindowStillOpens) {
  const std::string damaged = "[general\nmode = \"dad\"\n";
  write_file(state(), damaged);
  Process& p = start({});
  ASSERT_TRUE(wait_for_windows(1));
  const std::string err = p.stderr_text();
  EXPECT_THAT(err, HasSubstr("marlguide: " + state().string() + " failed to parse ("));
  EXPECT_THAT(err, HasSubstr("); backed up to " + backup().string() +
                             " before falling back to defaults\n"));
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(read_file(backup()), damaged);
  EXPECT_EQ(read_file(state()), damaged) << "left in place until the next save";
}

TEST_F(StateFile, OnboardOverADamagedFileKeepsTheDamagedTextInTheBackup) {
  const std::string damaged = "[onboarding]\nstep = = 3\n";
  write_file(state(), damaged);
  Process& p = start({"--onboard"});
  EXPECT_TRUE(wait_until([&] {
    return read_file(state()) == "onboarding = { completed = false, step = 0 }\n";
  })) << read_file(state());
  EXPECT_EQ(read_file(backup()), damaged) << "two writes, and the backup the message named stays";
  EXPECT_THAT(p.stderr_text(), HasSubstr("failed to parse"));
}

TEST_F(StateFile, AFileThatIsNotUtf8IsQuietlyIgnored) {
  const std::string bytes = "[general]\nmode = \"d\xe4\x64\"\n";
  write_file(state(), bytes);
  Process& p = start({});
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_EQ(p.stderr_text(), "");
  EXPECT_EQ(read_file(state()), bytes);
  EXPECT_FALSE(fs::exists(backup()));
}

TEST_F(StateFile, AnUnwritableConfigDirectoryIsReportedAndTheProgramCarriesOn) {
  // A file where the configuration directory should be: nothing can be created under it.
  write_file(home() / "not-a-dir", "x");
  env_["XDG_CONFIG_HOME"] = (home() / "not-a-dir").string();
  const std::string target = (home() / "not-a-dir" / "marlguide" / "state.toml").string();
  Process& p = start({"--onboard"});
  const std::string line = "marlguide: couldn't write " + target + ": Not a directory\n";
  // One message for each of the two writes.
  EXPECT_TRUE(wait_until([&] { return p.stderr_text() == line + line; })) << p.stderr_text();
  Process& second = run({});
  EXPECT_EQ(second.wait_exit(0ms), 0);
  EXPECT_TRUE(wait_for_windows(1)) << "the same instance still answers";
  EXPECT_TRUE(p.running());
}

}  // namespace
}  // namespace marlguide::testing

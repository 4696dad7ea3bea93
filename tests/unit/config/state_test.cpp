// The state file: reading with defaults, writing at once, keeping the user's text, surviving
// crashes and unwritable folders.

#include "config/state.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <random>
#include <thread>

#include "config/atomic_write.hpp"
#include "test_files.hpp"

namespace marlguide::config {
namespace {

using testing::read_file;
using testing::ScopedEnv;
using testing::TempDir;
using testing::write_file;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;
namespace fs = std::filesystem;

class State : public ::testing::Test {
 protected:
  fs::path config() const { return dir_.path() / "config"; }
  fs::path file() const { return config() / "marlguide" / "state.toml"; }

  TempDir dir_;
  ScopedEnv xdg_{"XDG_CONFIG_HOME", (dir_.path() / "config").string()};
};

TEST_F(State, LivesUnderTheConfigDirectory) { EXPECT_EQ(state_file_path(), file()); }

TEST_F(State, WithoutAFileEverythingIsDefaultAndTheFirstWriteCreatesIt) {
  StateFile s = load_state();
  EXPECT_EQ(mode(s), DisplayMode::Normal);
  EXPECT_FALSE(onboarding_completed(s));
  EXPECT_EQ(onboarding_step(s), 0);
  EXPECT_EQ(pending_rebind(s), std::nullopt);
  EXPECT_FALSE(fs::exists(config())) << "reading creates nothing";

  set_mode(s, DisplayMode::Dad);
  EXPECT_EQ(read_file(file()), "general = { mode = \"dad\" }\n");
  EXPECT_EQ(mode(load_state()), DisplayMode::Dad);
}

TEST_F(State, ValuesReadAsWrittenAndAnythingElseAsTheDefault) {
  struct Case {
    const char* text;
    DisplayMode mode;
    bool completed;
    std::int64_t step;
    std::optional<PendingRebind> rebind;
  };
  const Case cases[] = {
      {"[general]\nmode = \"compact\"\n", DisplayMode::Compact, false, 0, std::nullopt},
      {"general = { mode = 'beginner' }\n", DisplayMode::Beginner, false, 0, std::nullopt},
      {"general.mode = \"dad\"\n", DisplayMode::Dad, false, 0, std::nullopt},
      {"[general]\nmode = \"Compact\"\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"[general]\nmode = \"dad \"\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"[general]\nmode = 2\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"general = \"dad\"\nmode = \"dad\"\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"[onboarding]\ncompleted = true\nstep = 7\n", DisplayMode::Normal, true, 7, std::nullopt},
      {"[onboarding]\ncompleted = \"true\"\nstep = -2\n", DisplayMode::Normal, false, -2,
       std::nullopt},
      {"[onboarding]\ncompleted = 1\nstep = 3.0\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"onboarding = [1]\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"[tour]\npending_rebind_key = \"SUPER,Q\"\npending_rebind_original = \"SUPER,Q,exec,x\"\n",
       DisplayMode::Normal, false, 0, PendingRebind{"SUPER,Q", "SUPER,Q,exec,x"}},
      {"[tour]\npending_rebind_key = \"SUPER,Q\"\n", DisplayMode::Normal, false, 0, std::nullopt},
      {"[tour]\npending_rebind_key = \"SUPER,Q\"\npending_rebind_original = 5\n",
       DisplayMode::Normal, false, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    write_file(file(), c.text);
    const StateFile s = load_state();
    EXPECT_EQ(mode(s), c.mode);
    EXPECT_EQ(onboarding_completed(s), c.completed);
    EXPECT_EQ(onboarding_step(s), c.step);
    EXPECT_EQ(pending_rebind(s), c.rebind);
  }
}

TEST_F(State, SettersKeepTheHandWrittenFileAndBackUpThePreviousVersion) {
  const std::string hand = R"(# My marlguide settings
[general]
mode = "normal"   # was "dad" last week
colour = "mine"

[onboarding]
completed = true # finished it!
step = 12

[extras]
keep = ['me']
)";
  write_file(file(), hand);
  StateFile s = load_state();
  set_onboarding_completed(s, false);
  set_onboarding_step(s, 0);
  const std::string after = R"(# My marlguide settings
[general]
mode = "normal"   # was "dad" last week
colour = "mine"

[onboarding]
completed = false # finished it!
step = 0

[extras]
keep = ['me']
)";
  EXPECT_EQ(read_file(file()), after);
  EXPECT_EQ(read_file(backup_path(file())),
            R"(# My marlguide settings
[general]
mode = "normal"   # was "dad" last week
colour = "mine"

[onboarding]
completed = false # finished it!
step = 12

[extras]
keep = ['me']
)") << "the backup is the version before the last write";
}

TEST_F(State, PendingRebindIsSetOnceAndClearedInEitherForm) {
  for (const char* start : {"", "[tour]\nkeep = 1\n", "tour = { keep = 1 }\n"}) {
    SCOPED_TRACE(start);
    write_file(file(), start);
    StateFile s = load_state();
    set_pending_rebind(s, "SUPER,Q", "SUPER,Q,exec,kitty \"--title\" x");
    EXPECT_EQ(pending_rebind(load_state()),
              (PendingRebind{"SUPER,Q", "SUPER,Q,exec,kitty \"--title\" x"}));
    EXPECT_EQ(read_file(backup_path(file())), start) << "both keys went in with one write";

    StateFile again = load_state();
    clear_pending_rebind(again);
    const StateFile cleared = load_state();
    EXPECT_EQ(pending_rebind(cleared), std::nullopt);
    EXPECT_NE(cleared.document.root().get_as<toml::table>("tour"), nullptr) << "the table stays";
    if (*start != '\0') {
      EXPECT_EQ(read_file(file()), start) << "back to the hand-written text";
    }
  }
}

TEST_F(State, ClearingWritesEvenWhenNothingWasPending) {
  write_file(file(), "# untouched\n");
  StateFile s = load_state();
  clear_pending_rebind(s);
  EXPECT_EQ(read_file(file()), "# untouched\n");
  EXPECT_TRUE(fs::exists(backup_path(file()))) << "a store happened";
}

TEST_F(State, HugeStepIndexesSaturate) {
  StateFile s = load_state();
  set_onboarding_step(s, std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(onboarding_step(load_state()), std::numeric_limits<std::int64_t>::max());
}

TEST_F(State, ATableNameHoldingAValueIsReplacedWithAMessage) {
  write_file(file(), "general = \"big\"\n");
  StateFile s = load_state();
  CaptureStderr();
  set_mode(s, DisplayMode::Compact);
  const std::string err = GetCapturedStderr();
  EXPECT_EQ(err, "marlguide: " + file().string() +
                     ": \"general\" held \"big\" instead of a table; replaced it (the previous "
                     "file is kept in " +
                     file().string() + ".bak)\n");
  EXPECT_EQ(read_file(file()), "general = { mode = \"compact\" }\n");
  EXPECT_EQ(read_file(backup_path(file())), "general = \"big\"\n");
}

TEST_F(State, AStructureThatCannotBeEditedIsLeftAloneWithAMessage) {
  const std::string text = "[general.mode]\nsize = 3\n";
  write_file(file(), text);
  StateFile s = load_state();
  CaptureStderr();
  set_mode(s, DisplayMode::Dad);
  EXPECT_EQ(GetCapturedStderr(),
            "marlguide: couldn't write " + file().string() + ": \"general.mode\" is a table\n");
  EXPECT_EQ(read_file(file()), text);
  EXPECT_FALSE(fs::exists(backup_path(file())));
}

TEST_F(State, AnUnparsableFileIsBackedUpAndReplacedAtTheNextWrite) {
  write_file(file(), "[general\nmode = \"dad\"\n");
  CaptureStderr();
  StateFile s = load_state();
  EXPECT_THAT(GetCapturedStderr(), ::testing::HasSubstr("failed to parse"));
  EXPECT_EQ(mode(s), DisplayMode::Normal);
  set_onboarding_step(s, 1);
  EXPECT_EQ(read_file(file()), "onboarding = { step = 1 }\n");
  EXPECT_EQ(read_file(backup_path(file())), "[general\nmode = \"dad\"\n");
}

TEST_F(State, AnUnusableFileStaysInTheBackupThroughEveryWriteOfThatLoad) {
  for (const std::string& bad :
       {std::string("[general\nmode = 1\n"), std::string("mode = \"\xff\"\n")}) {
    SCOPED_TRACE(bad);
    fs::remove(backup_path(file()));
    write_file(file(), bad);
    CaptureStderr();
    StateFile s = load_state();
    GetCapturedStderr();
    set_onboarding_completed(s, false);
    set_onboarding_step(s, 0);
    EXPECT_EQ(read_file(file()), "onboarding = { completed = false, step = 0 }\n");
    EXPECT_EQ(read_file(backup_path(file())), bad) << "the user's text is still there";

    // A later load works on the program's own file and rotates the backup as usual.
    StateFile next = load_state();
    set_onboarding_step(next, 1);
    EXPECT_EQ(read_file(backup_path(file())), "onboarding = { completed = false, step = 0 }\n");
  }
}

// Runs `body` in a child process as an unprivileged user (when the test runs as root, whose
// writes no permission bits stop) with standard error going to `err`. Returns the exit status.
int as_unprivileged(const fs::path& err, const std::function<void()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ::dup2(fd, 2);
    if (::geteuid() == 0 &&
        (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
      ::_exit(3);
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(State, AReadOnlyConfigDirectoryGetsAMessageAndTheProgramCarriesOn) {
  fs::permissions(dir_.path(),
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path err = dir_.path() / "stderr";
  ::close(::open(err.c_str(), O_WRONLY | O_CREAT, 0666));
  ::chmod(err.c_str(), 0666);

  struct Case {
    const char* name;
    std::function<void()> prepare;
  };
  const Case cases[] = {
      {"the marlguide folder cannot be made", [&] { fs::create_directories(config()); }},
      {"the state file cannot be replaced",
       [&] { write_file(file(), "# mine\n[general]\nmode = \"compact\"\n"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(config());
    c.prepare();
    const std::string before = fs::exists(file()) ? read_file(file()) : "";
    for (auto& e : fs::recursive_directory_iterator(config()))
      if (e.is_directory()) fs::permissions(e.path(), fs::perms(0555));
    fs::permissions(config(), fs::perms(0555));

    const int status = as_unprivileged(err, [] {
      StateFile s = load_state();
      set_mode(s, DisplayMode::Dad);
      // Still running, and the change is kept in memory.
      ::_exit(mode(s) == DisplayMode::Dad ? 0 : 1);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(err),
              "marlguide: couldn't write " + file().string() + ": Permission denied\n");
    fs::permissions(config(), fs::perms::owner_all);
    for (auto& e : fs::recursive_directory_iterator(config()))
      if (e.is_directory()) fs::permissions(e.path(), fs::perms::owner_all);
    EXPECT_EQ(fs::exists(file()) ? read_file(file()) : "", before);
  }
}

TEST_F(State, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  // A large file makes every write long enough to be cut in the middle.
  const std::string padding(256 * 1024, '#');
  const std::string head = "# " + padding + "\n[onboarding]\nstep = ";
  const std::string tail = "\ncompleted = false # " + padding + "\n";
  write_file(file(), head + "0" + tail);

  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> delay_us(0, 40000);
  std::int64_t last = 0;
  int advanced = 0;
  constexpr int kRounds = 100;
  for (int round = 0; round < kRounds; ++round) {
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      for (std::uint64_t i = static_cast<std::uint64_t>(last) + 1;; ++i) {
        StateFile s = load_state();
        set_onboarding_step(s, i);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(rng)));
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);

    const std::string text = read_file(file());
    ASSERT_TRUE(text.starts_with(head) && text.ends_with(tail) &&
                text.size() > head.size() + tail.size())
        << "round " << round << ": a mixture of versions (" << text.size() << " bytes)";
    const std::string digits = text.substr(head.size(), text.size() - head.size() - tail.size());
    ASSERT_TRUE(std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) << digits;
    const StateFile s = load_state();
    ASSERT_EQ(onboarding_step(s), std::stoll(digits)) << "the file parses";
    if (onboarding_step(s) > last) ++advanced;
    last = onboarding_step(s);
  }
  // Kills after finished writes were among them; kills in the middle of the write itself are
  // the business of the atomic-write test, whose writer does nothing else.
  EXPECT_GT(advanced, 0);
}

}  // namespace
}  // namespace marlguide::config

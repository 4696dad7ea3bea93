// Atomic replacement of files and the backup of the previous version.

#include "config/atomic_write.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <thread>

#include "test_files.hpp"

namespace marlguide::config {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;
namespace fs = std::filesystem;

const std::string kPid = std::to_string(::getpid());

TEST(TemporaryPath, IsAHiddenSiblingNamedAfterTheProcess) {
  struct Case {
    fs::path target;
    std::string temp;
  };
  const Case cases[] = {
      {"/cfg/marlguide/state.toml", "/cfg/marlguide/.state.toml.tmp." + kPid},
      {"state.toml", "./.state.toml.tmp." + kPid},
      {"/cfg/\xff\xfe", "/cfg/.marl.tmp." + kPid},
      {"/cfg/..", "/cfg/.marl.tmp." + kPid},
  };
  for (const auto& c : cases) EXPECT_EQ(temporary_path(c.target).native(), c.temp) << c.target;
  EXPECT_EQ(backup_path("/cfg/state.toml").native(), "/cfg/state.toml.bak");
}

class AtomicWrite : public ::testing::Test {
 protected:
  bool leftover_temporaries() {
    for (const auto& e : fs::recursive_directory_iterator(dir_.path()))
      if (e.path().filename().native().find(".tmp.") != std::string::npos) return true;
    return false;
  }
  TempDir dir_;
  fs::path target_ = dir_.path() / "a" / "b" / "state.toml";
};

TEST_F(AtomicWrite, SavesCreateParentsAndKeepThePreviousVersionAsBackup) {
  ASSERT_TRUE(replace_with_backup(target_, "one\n").has_value());
  EXPECT_EQ(read_file(target_), "one\n");
  EXPECT_FALSE(fs::exists(backup_path(target_))) << "nothing to back up on the first save";

  fs::permissions(target_, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(replace_with_backup(target_, "two\n").has_value());
  EXPECT_EQ(read_file(target_), "two\n");
  EXPECT_EQ(read_file(backup_path(target_)), "one\n");
  EXPECT_EQ(fs::status(backup_path(target_)).permissions(),
            fs::perms::owner_read | fs::perms::owner_write)
      << "the backup keeps the file's permission bits";

  ASSERT_TRUE(replace_with_backup(target_, "").has_value());
  EXPECT_EQ(read_file(target_), "");
  EXPECT_EQ(read_file(backup_path(target_)), "two\n");
  EXPECT_FALSE(leftover_temporaries());
}

TEST_F(AtomicWrite, NewFilesGetReadWriteBitsUnderTheUmask) {
  const mode_t old = ::umask(022);
  auto written = write_atomic(target_, "x");
  ::umask(old);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(fs::status(target_).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
}

TEST_F(AtomicWrite, FailuresLeaveTheTargetAndNoTemporaryBehind) {
  write_file(target_, "old\n");

  // The temporary file cannot be opened: its name is taken by a directory.
  fs::create_directories(temporary_path(target_));
  auto blocked = write_atomic(target_, "new\n");
  ASSERT_FALSE(blocked.has_value());
  EXPECT_EQ(blocked.error(), std::errc::is_a_directory);
  EXPECT_EQ(read_file(target_), "old\n");
  fs::remove(temporary_path(target_));

  // The rename fails: the target is a directory with content.
  const fs::path dir_target = dir_.path() / "taken";
  write_file(dir_target / "inside", "x");
  auto renamed = write_atomic(dir_target, "new\n");
  ASSERT_FALSE(renamed.has_value());
  EXPECT_TRUE(fs::is_directory(dir_target));
  EXPECT_FALSE(leftover_temporaries());

  // The parent cannot be made: a file stands where a directory would go.
  const fs::path under_file = target_ / "sub" / "state.toml";
  for (auto* write : {&write_atomic, &replace_with_backup}) {
    auto no_parent = write(under_file, "new\n");
    ASSERT_FALSE(no_parent.has_value());
    EXPECT_EQ(read_file(target_), "old\n");
  }
  EXPECT_FALSE(leftover_temporaries());
}

TEST_F(AtomicWrite, AWriterKilledMidwayLeavesOneWholeVersion) {
  const std::string first(2 * 1024 * 1024, 'a'), second(2 * 1024 * 1024, 'b');
  ASSERT_TRUE(write_atomic(target_, first).has_value());
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> delay_us(0, 8000);
  for (int round = 0; round < 60; ++round) {
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      for (int i = 0;; ++i) (void)replace_with_backup(target_, i % 2 ? first : second);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(rng)));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    const std::string text = read_file(target_);
    ASSERT_TRUE(text == first || text == second)
        << "round " << round << ": " << text.size() << " bytes, not one whole version";
  }
  int cut = 0;
  for (const auto& e : fs::directory_iterator(target_.parent_path()))
    if (e.path().filename().native().starts_with(".state.toml.tmp.")) ++cut;
  EXPECT_GT(cut, 0) << "some kills must land in the middle of a write";
  RecordProperty("writes_cut_midway", cut);
}

}  // namespace
}  // namespace marlguide::config

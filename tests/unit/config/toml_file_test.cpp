// Reading TOML files so that a damaged file never stops the program.

#include "config/toml_file.hpp"

#include <gtest/gtest.h>

#include "config/atomic_write.hpp"
#include "test_files.hpp"

namespace marlguide::config {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;
namespace fs = std::filesystem;

class ReadToml : public ::testing::Test {
 protected:
  TempDir dir_;
  fs::path path_ = dir_.path() / "state.toml";
};

TEST_F(ReadToml, UnreadableFilesGiveAnEmptyDocumentSilently) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  const Case cases[] = {
      {"missing", [](const fs::path&) {}},
      {"not UTF-8", [](const fs::path& p) { write_file(p, "mode = \"\xff\"\n[[[\n"); }},
      {"a directory", [](const fs::path& p) { fs::create_directories(p); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.make(path_);
    CaptureStderr();
    const TomlDocument doc = read_toml_or_default("marlguide", path_);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_TRUE(doc.root().empty());
    EXPECT_EQ(doc.text(), "");
    EXPECT_FALSE(fs::exists(backup_path(path_)));
    fs::remove_all(path_);
  }
}

TEST_F(ReadToml, AFileThatDoesNotParseIsReportedAndBackedUp) {
  const std::string damaged = "# mine\nmode = [1, 2\n";
  write_file(path_, damaged);
  write_file(backup_path(path_), "an older backup that is longer than the damaged text\n");
  CaptureStderr();
  const TomlDocument doc = read_toml_or_default("marlguide", path_);
  const std::string err = GetCapturedStderr();
  EXPECT_TRUE(doc.root().empty());

  const std::string head = "marlguide: " + path_.string() + " failed to parse (";
  const std::string tail =
      "); backed up to " + path_.string() + ".bak before falling back to defaults\n";
  EXPECT_TRUE(err.starts_with(head)) << err;
  EXPECT_TRUE(err.ends_with(tail)) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "one line: " << err;
  EXPECT_NE(err.find("line 2"), std::string::npos) << "the error says where: " << err;

  EXPECT_EQ(read_file(backup_path(path_)), damaged);
  EXPECT_EQ(read_file(path_), damaged) << "the damaged file stays until the next save";
}

TEST_F(ReadToml, TheProgramNameLeadsTheMessage) {
  write_file(path_, "[x]\n[x]\n");
  CaptureStderr();
  read_toml_or_default("marl-tool", path_);
  EXPECT_TRUE(GetCapturedStderr().starts_with("marl-tool: " + path_.string()));
}

TEST_F(ReadToml, AParseFailureWithAnUnwritableBackupStillFallsBack) {
  write_file(path_, "a = \n");
  fs::create_directories(backup_path(path_));  // the backup cannot be written
  CaptureStderr();
  const TomlDocument doc = read_toml_or_default("marlguide", path_);
  EXPECT_NE(GetCapturedStderr(), "");
  EXPECT_TRUE(doc.root().empty());
}

TEST_F(ReadToml, SaveWritesTheDocumentsTextUnchanged) {
  const std::string text = "# keep me\r\n[general]\r\nmode = 'dad' # me too\r\n";
  write_file(path_, text);
  const TomlDocument doc = read_toml_or_default("marlguide", path_);
  ASSERT_FALSE(doc.root().empty());
  const fs::path copy = dir_.path() / "new" / "copy.toml";
  ASSERT_TRUE(save_toml(copy, doc).has_value());
  EXPECT_EQ(read_file(copy), text);
}

}  // namespace
}  // namespace marlguide::config

#include "content/symptoms.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "test_files.hpp"

namespace marlguide::content {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::stderr_of;
using testing::TempDir;

constexpr std::string_view kTwoNodes = R"(
[[node]]
id = "start"
prompt = "Is the volume up?"
options = [
  { label = "Yes", goto = "check" },
  { label = "It's the Wi-Fi", goto = "wifi-wont-connect:start" },
]

[[node]]
id = "check"
prompt = "Restart the sound service."
ignored = true
[node.fix]
description = "Restarts PipeWire."
command = "systemctl --user restart pipewire"
requires_confirm = true
)";

class SymptomLoading : public ::testing::Test {
 protected:
  SymptomTable load() {
    const std::array<std::filesystem::path, 2> dirs{system_.path() / "_symptoms",
                                                    user_.path() / "_symptoms"};
    return load_symptoms(dirs);
  }
  TempDir system_;
  TempDir user_;
};

TEST(SymptomFile, DecodesNodesOptionsAndFix) {
  auto nodes = parse_symptom_file(kTwoNodes);
  ASSERT_TRUE(nodes) << nodes.error();
  const std::vector<SymptomNode> want{
      {"start",
       "Is the volume up?",
       {{"Yes", "check"}, {"It's the Wi-Fi", "wifi-wont-connect:start"}},
       std::nullopt},
      {"check",
       "Restart the sound service.",
       {},
       Fix{"Restarts PipeWire.", "systemctl --user restart pipewire", true}},
  };
  EXPECT_EQ(*nodes, want);
}

TEST(SymptomFile, EmptyDocumentAndBareNodeLoad) {
  auto empty = parse_symptom_file("title = 'other keys only'");
  ASSERT_TRUE(empty);
  EXPECT_THAT(*empty, IsEmpty());
  auto bare = parse_symptom_file("[[node]]\nid = 'end'\nprompt = 'Nothing to do.'");
  ASSERT_TRUE(bare);
  EXPECT_EQ(*bare, (std::vector<SymptomNode>{{"end", "Nothing to do.", {}, std::nullopt}}));
}

TEST(SymptomFile, ErrorsNameTheKey) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[[node]]\nid = 'start'", "missing field `prompt` at line 1"},
      {"[[node]]\nid = 'a'\nprompt = 'p'\noptions = [{ label = 'x' }]", "missing field `goto`"},
      {"[[node]]\nid = 'a'\nprompt = 'p'\n[node.fix]\ncommand = 'c'",
       "missing field `description`"},
      {"[[node]]\nid = 'a'\nprompt = 'p'\n[node.fix]\ndescription = 'd'\ncommand = 'c'\n"
       "requires_confirm = 'yes'",
       "invalid type for `requires_confirm`: expected a boolean, found a string at line 7"},
      {"[[node]]\nid = 'a'\nid = 'b'\nprompt = 'p'", "duplicate field `id` at line 3"},
      {"[[node]]\nid = 'a'\nprompt = 'p'\n[node.fix]\ndescription = 'd'\ncommand = 'c'\n"
       "[node.fix]\ncommand = 'e'",
       "duplicate field `fix`"},
      {"node = 'not a table list'", "invalid type for `node`"},
  };
  for (const auto& c : cases) {
    auto got = parse_symptom_file(c.text);
    ASSERT_FALSE(got) << c.text;
    EXPECT_THAT(got.error(), HasSubstr(c.error)) << c.text;
  }
}

TEST_F(SymptomLoading, NoDirectoriesGiveAnEmptyTable) {
  const std::string err = stderr_of([&] { EXPECT_THAT(load(), IsEmpty()); });
  EXPECT_EQ(err, "");
}

TEST_F(SymptomLoading, UserFileReplacesSystemFileWhole) {
  system_.write("_symptoms/no-sound.toml", kTwoNodes);
  system_.write("_symptoms/display.toml", "[[node]]\nid = 'start'\nprompt = 'Display?'");
  user_.write("_symptoms/no-sound.toml", "[[node]]\nid = 'start'\nprompt = 'Mine'");
  const auto table = load();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at("no-sound"), (std::vector<SymptomNode>{{"start", "Mine", {}, std::nullopt}}));
  EXPECT_NE(find_node(table, "display", "start"), nullptr);
}

TEST_F(SymptomLoading, OnlyLowerCaseTomlFilesCountAndBrokenOnesAreReported) {
  system_.write("_symptoms/No-Sound.TOML", kTwoNodes);
  system_.write("_symptoms/notes.txt", kTwoNodes);
  system_.write("_symptoms/.toml", kTwoNodes);
  system_.write("_symptoms/bad-utf8.toml", "# \xff\n");
  system_.mkdir("_symptoms/folder.toml");
  system_.write("_symptoms/stem\xff.toml", kTwoNodes);
  const auto broken = system_.write("_symptoms/broken.toml", "[[node]]\nid = 'start'\n");
  system_.write("_symptoms/good.toml", kTwoNodes);

  SymptomTable table;
  const std::string err = stderr_of([&] { table = load(); });
  std::vector<std::string> ids;
  for (const auto& [id, nodes] : table) ids.push_back(id);
  EXPECT_THAT(ids, ElementsAre("good"));
  EXPECT_EQ(err, "marlguide: " + broken.string() +
                     " failed to parse: missing field `prompt` at line 1, column 1\n");
}

TEST(Goto, ResolvesWithinAndAcrossSymptoms) {
  SymptomTable table;
  table["no-sound"] = {{"start", "first", {}, std::nullopt}, {"start", "second", {}, std::nullopt}};
  struct Case {
    const char* go_to;
    GotoTarget want;
  } cases[] = {
      {"check", {"no-sound", "check"}}, {"wifi-wont-connect:start", {"wifi-wont-connect", "start"}},
      {"a:b:c", {"a", "b:c"}},          {":start", {"", "start"}},
      {"other:", {"other", ""}},        {"", {"no-sound", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(resolve_goto(table, "no-sound", c.go_to), c.want);

  const SymptomNode* first = find_node(table, "no-sound", "start");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->prompt, "first");
  EXPECT_EQ(find_node(table, "no-sound", "missing"), nullptr);
  EXPECT_EQ(find_node(table, "missing", "start"), nullptr);
}

}  // namespace
}  // namespace marlguide::content

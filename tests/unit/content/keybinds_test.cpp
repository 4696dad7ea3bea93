#include "content/keybinds.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_files.hpp"

namespace marlguide::content {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::ScopedEnv;
using ::testing::StartsWith;
using testing::stderr_of;
using testing::TempDir;

std::vector<Keybind> parse_ok(std::string_view text) {
  auto binds = parse_keybinds(text);
  EXPECT_TRUE(binds) << binds.error();
  return binds.value_or(std::vector<Keybind>{});
}

TEST(Keybinds, BuildsDisplayRecords) {
  const auto binds = parse_ok(R"({
    "default_mods": ["SUPER", "ALT"],
    "comment": "ignored",
    "bindings": [
      {"action": "exec", "command": "firefox", "key": "B", "label": "Browser",
       "category": "apps", "demo_cmd": "firefox --new-window", "note": "ignored"},
      {"action": "workspace", "command": "1", "key": "1", "mods": ["SUPER"]},
      {"action": "Exec", "command": "kitty", "key": "Return", "mods": []},
      {"action": "exec", "key": "X", "mods": null, "label": null, "command": null,
       "demo_cmd": null},
      {"action": "killactive", "key": "Q", "mods": ["SUPER", "SHIFT"]}
    ]})");
  const std::vector<Keybind> want{
      {"super + alt + b", "Browser", "apps", "firefox --new-window", "exec,firefox"},
      {"super + 1", "workspace", "", std::nullopt, std::nullopt},
      {"return", "Exec", "", std::nullopt, std::nullopt},
      {"super + alt + x", "exec", "", std::nullopt, std::nullopt},
      {"super + shift + q", "killactive", "", std::nullopt, std::nullopt},
  };
  EXPECT_EQ(binds, want);
}

TEST(Keybinds, DefaultModsFallBackToSuper) {
  for (const char* text :
       {R"({"bindings": [{"action": "exec", "key": "T"}]})",
        R"({"default_mods": [], "bindings": [{"action": "a", "key": "T"}]})",
        R"({"default_mods": null, "bindings": [{"action": "a", "key": "T"}]})"}) {
    const auto binds = parse_ok(text);
    ASSERT_EQ(binds.size(), 1u) << text;
    EXPECT_EQ(binds[0].combo, "super + t") << text;
  }
}

TEST(Keybinds, LowerCasesWithFullUnicodeMapping) {
  const auto binds =
      parse_ok(R"({"bindings": [{"action": "a", "key": "Ä", "mods": ["SUPER", "\u0130"]}]})");
  ASSERT_EQ(binds.size(), 1u);
  EXPECT_EQ(binds[0].combo, "super + i\xcc\x87 + \xc3\xa4");
}

TEST(Keybinds, EmptyFilesGiveNoBindings) {
  for (const char* text : {"{}", R"({"bindings": []})", R"({"bindings": null})"})
    EXPECT_THAT(parse_ok(text), IsEmpty()) << text;
}

TEST(Keybinds, RejectsTheWholeFileWithAPositionedMessage) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"{\"bindings\": [\n  {\"action\": \"exec\", \"key\": \"A\"},\n  {\"action\": \"exec\"}\n]}",
       "missing field `key` at line 3, column 3"},
      {R"({"bindings": [{"key": "A"}]})", "missing field `action` at line 1, column 15"},
      {R"({"bindings": [{"action": null, "key": "A"}]})",
       "invalid type for `action`: expected a string, found null at line 1, column 26"},
      {R"({"bindings": [{"action": "a", "key": "A", "category": null}]})",
       "invalid type for `category`: expected a string, found null at line 1, column 55"},
      {R"({"bindings": [{"action": "a", "key": "A", "mods": "SUPER"}]})",
       "invalid type for `mods`"},
      {R"({"bindings": [{"action": "a", "key": "A", "mods": ["SUPER", 4]}]})",
       "invalid type for `mods`: expected a string, found an integer at line 1, column 61"},
      {R"({"bindings": [{"action": "a", "key": 65}]})", "invalid type for `key`"},
      {R"({"bindings": {}})", "invalid type for `bindings`"},
      {R"({"bindings": [1]})", "invalid type for `bindings`: expected an object"},
      {R"({"default_mods": "SUPER"})", "invalid type for `default_mods`"},
      {"[]", "invalid type: expected an object, found array at line 1, column 1"},
      {"{\"bindings\": [\n  {\"action\": \"exec\", \"key\": \"A\", \"key\": \"B\"}\n]}",
       "duplicate field `key` at line 2, column 34"},
      {R"({"bindings": [], "bindings": []})", "duplicate field `bindings` at line 1, column 18"},
      {"{\"bindings\": [\n  {\"action\": \"exec\" \"key\": \"A\"}\n]}",
       "expected '}' at line 2, column 25"},
      {"{\"bindings\": [", "at line 1, column 15"},
      {"", "at line 1, column 1"},
      {"{} trailing", "expected end of input at line 1, column 6"},
  };
  for (const auto& c : cases) {
    auto got = parse_keybinds(c.text);
    ASSERT_FALSE(got) << c.text;
    EXPECT_THAT(got.error(), HasSubstr(c.error)) << c.text;
    EXPECT_THAT(got.error(), ::testing::ContainsRegex(" at line [1-9][0-9]*, column [1-9][0-9]*$"))
        << c.text;
    EXPECT_THAT(got.error(), ::testing::Not(HasSubstr("\n"))) << c.text;
  }
}

TEST(Keybinds, DuplicatesInDifferentObjectsAreFine) {
  const auto binds = parse_ok(R"({"bindings": [{"action": "a", "key": "A"},
                                               {"action": "a", "key": "B"}]})");
  EXPECT_EQ(binds.size(), 2u);
}

TEST(Keybinds, LoadReportsOnceAndReadsFromHome) {
  TempDir home;
  ScopedEnv env("HOME", home.path().string());
  EXPECT_EQ(keybinds_path(), home.path() / ".config/hypr/binds.json");

  std::string err = stderr_of([] { EXPECT_THAT(load_keybinds(), IsEmpty()); });
  EXPECT_EQ(err, "") << "a missing file is silent";

  home.write(".config/hypr/binds.json", R"({"bindings": [{"action": "exec"}]})");
  err = stderr_of([] { EXPECT_THAT(load_keybinds(), IsEmpty()); });
  EXPECT_THAT(err, StartsWith("marlguide: binds.json failed to parse: missing field `key`"));
  EXPECT_THAT(err, EndsWith(" at line 1, column 15\n"));

  home.write(".config/hypr/binds.json", "{\"bindings\": [{\"action\": \"\xff\", \"key\": \"A\"}]}");
  err = stderr_of([] { EXPECT_THAT(load_keybinds(), IsEmpty()); });
  EXPECT_EQ(err, "") << "text that is not UTF-8 is an unreadable file";

  home.write(".config/hypr/binds.json", R"({"bindings": [{"action": "exec", "key": "E"}]})");
  EXPECT_EQ(load_keybinds().size(), 1u);

  ScopedEnv unset("HOME", std::nullopt);
  EXPECT_EQ(keybinds_path(), "/root/.config/hypr/binds.json");
}

TEST(FindKeybind, IgnoresWhiteSpaceAndCase) {
  const std::vector<Keybind> binds{
      {"super + return", "Terminal", "", std::nullopt, "exec,kitty"},
      {"super + shift + u", "first", "", std::nullopt, std::nullopt},
      {"super+shift+u", "second", "", std::nullopt, std::nullopt},
  };
  for (const char* text :
       {"SUPER + Return", "super+return", "Super +  RETURN", "\tsuper\n+return"}) {
    const auto found = find_keybind(binds, text);
    ASSERT_TRUE(found) << text;
    EXPECT_EQ(found->description, "Terminal");
  }
  const auto first = find_keybind(binds, "SUPER+SHIFT+U");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->description, "first");
  EXPECT_FALSE(find_keybind(binds, "super + r"));
  EXPECT_FALSE(find_keybind({}, "super + return"));
}

}  // namespace
}  // namespace marlguide::content

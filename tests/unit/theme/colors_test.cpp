// Reading pywal's colour file into the theme's colours.

#include "marl-theme/colors.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "test_files.hpp"

namespace marl::theme {
namespace {

using marlguide::testing::ScopedEnv;
using marlguide::testing::write_file;
namespace fs = std::filesystem;

TEST(WalColors, OnlyStrictDocumentsWithTextColoursAreAccepted) {
  struct Case {
    const char* name;
    std::string json;
    std::optional<std::map<std::string, std::string>> colors;  // none: malformed
  };
  using M = std::map<std::string, std::string>;
  const Case cases[] = {
      {"plain", R"({"colors": {"color1": "#111111", "color9": "x"}})",
       M{{"color1", "#111111"}, {"color9", "x"}}},
      {"other members ignored, whatever they hold",
       R"({"wallpaper": "/a.png", "special": {"background": "#fff", "colors": 5}, "alpha": [1, {"a": null}], "colors": {"color2": "#222"}})",
       M{{"color2", "#222"}}},
      {"a repeated key keeps its later value",
       R"({"colors": {"color1": "#aaaaaa", "color1": "#bbbbbb"}})", M{{"color1", "#bbbbbb"}}},
      {"white space after the value", "{\"colors\": {}}\n \t\r\n", M{}},
      {"no colors member", R"({"wallpaper": "x"})", M{}},
      {"a number as a colour", R"({"colors": {"color1": "#111", "color2": 2}})", std::nullopt},
      {"a non-text colour hidden by a later repeat",
       R"({"colors": {"color1": 1, "color1": "#111"}})", std::nullopt},
      {"an object as a colour", R"({"colors": {"color1": {}}})", std::nullopt},
      {"colors is not an object", R"({"colors": ["#111"]})", std::nullopt},
      {"colors is null", R"({"colors": null})", std::nullopt},
      {"trailing garbage", R"({"colors": {"color1": "#111"}} x)", std::nullopt},
      {"two values", R"({"colors": {}} {})", std::nullopt},
      {"not an object", R"(["colors"])", std::nullopt},
      {"not JSON", "colors = 1", std::nullopt},
      {"not UTF-8", "{\"colors\": {\"color1\": \"\xff\"}}", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = parse_wal_colors(c.json);
    ASSERT_EQ(got.has_value(), c.colors.has_value());
    if (got) {
      EXPECT_EQ(got->colors, *c.colors);
    }
  }
}

TEST(WalColors, OnlyTheSixAccentsComeFromTheFile) {
  WalColors wal;
  wal.colors = {{"color0", "#000001"},
                {"color4", "#123456"},
                {"color7", "#777777"},
                {"background", "#ffffff"},
                {"color6", "not a colour"}};
  ThemeColors expected;
  expected.color4 = "#123456";
  expected.color6 = "not a colour";
  EXPECT_EQ(theme_colors_from(wal), expected);
}

class LoadColors : public ::testing::Test {
 protected:
  fs::path dir_ =
      fs::path(::testing::TempDir()) / ("marl-theme-colors-" + std::to_string(::getpid()));
  ScopedEnv cache_{"XDG_CACHE_HOME", dir_.string()};
  fs::path file_ = dir_ / "wal" / "colors.json";
  void TearDown() override { fs::remove_all(dir_); }
};

TEST_F(LoadColors, ReadsTheCacheFileAndFallsBackToDefaults) {
  EXPECT_EQ(wal_colors_path(), file_);
  EXPECT_EQ(load_theme_colors(), ThemeColors{}) << "no file";

  write_file(file_, R"({"colors": {"color4": "#0000ff"}})");
  ThemeColors only_accent;
  only_accent.color4 = "#0000ff";
  EXPECT_EQ(load_theme_colors(), only_accent);

  for (const char* bad : {R"({"colors": {"color4": "#0000ff"}} trailing)",
                          R"({"colors": {"color4": 4}})", "{\"colors\": {\"color4\": \"\xfe\"}}"}) {
    write_file(file_, bad);
    EXPECT_EQ(load_theme_colors(), ThemeColors{}) << bad;
  }
}

TEST_F(LoadColors, ARelativeCacheVariableIsIgnored) {
  ScopedEnv relative("XDG_CACHE_HOME", "relative/cache");
  ScopedEnv home("HOME", "/somewhere/home");
  EXPECT_EQ(wal_colors_path(), "/somewhere/home/.cache/wal/colors.json");
}

}  // namespace
}  // namespace marl::theme

#include "content/guides.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "content/roots.hpp"
#include "test_files.hpp"

namespace marlguide::content {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ScopedEnv;
using testing::stderr_of;
using testing::TempDir;

std::string meta(std::string_view title, std::string_view extra = "") {
  return std::format("title = \"{}\"\n{}", title, extra);
}

std::vector<std::string> keys(const std::vector<Guide>& guides) {
  std::vector<std::string> out;
  for (const auto& g : guides) out.push_back(g.category + "/" + g.id);
  return out;
}

class GuideLibrary : public ::testing::Test {
 protected:
  std::vector<Guide> load() { return load_guides(system_.path(), user_.path()); }
  TempDir system_;
  TempDir user_;
};

TEST(GuideMeta, DefaultsAndAllFields) {
  auto minimal = parse_guide_meta("title = 'Hi'");
  ASSERT_TRUE(minimal);
  GuideMeta want;
  want.title = "Hi";
  EXPECT_EQ(*minimal, want);

  auto full = parse_guide_meta(R"(title = "T"
difficulty = "advanced"
tags = ["a", "b"]
related = ["x/y"]
estimated_minutes = 4294967295
category = "apps"
unknown_key = { anything = 1 }
)");
  ASSERT_TRUE(full) << full.error();
  EXPECT_EQ(*full,
            (GuideMeta{"T", Difficulty::Advanced, {"a", "b"}, {"x/y"}, 4294967295u, "apps"}));
}

TEST(GuideMeta, RejectsBadValues) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"difficulty = 'beginner'", "missing field `title`"},
      {"title = 'a'\ndifficulty = 'expert'", "unknown variant `expert`"},
      {"title = 'a'\ndifficulty = 'Beginner'", "unknown variant `Beginner`"},
      {"title = 'a'\nestimated_minutes = -5", "invalid value for `estimated_minutes`"},
      {"title = 'a'\nestimated_minutes = 4294967296", "invalid value for `estimated_minutes`"},
      {"title = 'a'\nestimated_minutes = 1.5", "invalid type for `estimated_minutes`"},
      {"title = 1", "invalid type for `title`: expected a string, found an integer"},
      {"title = 'a'\ntags = ['x', 2]", "invalid type for `tags`"},
      {"title = 'a'\ntitle = 'b'", "duplicate field `title` at line 2"},
      {"title = 'a", "at line 1"},
      // The reader quotes the character it saw; a line break stays on the message's one line.
      {"title = i\n", "saw 'i\\n' at line 1"},
      {"title = i\x1B", "saw 'i\\x1B'"},
      {"title = 'a'\ndifficulty = \"\\n\"", "unknown variant `\\n`"},
  };
  for (const auto& c : cases) {
    auto got = parse_guide_meta(c.text);
    ASSERT_FALSE(got) << c.text;
    EXPECT_THAT(got.error(), HasSubstr(c.error)) << c.text;
  }
}

TEST_F(GuideLibrary, NoRootsGiveNothingSilently) {
  const std::string err = stderr_of(
      [] { EXPECT_TRUE(load_guides("/nonexistent/system", "/nonexistent/user").empty()); });
  EXPECT_EQ(err, "");
}

TEST_F(GuideLibrary, SkipsNonGuidesAndReportsBrokenMeta) {
  system_.write("getting-started/welcome/meta.toml", meta("Welcome"));
  system_.write("getting-started/no-meta/content.md", "text only");
  system_.write("troubleshooting/_symptoms/meta.toml", meta("Not a guide"));
  system_.write("apps/_symptoms/meta.toml", meta("Not a guide either"));
  system_.write("tours/onboarding.toml", "[[step]]\n");
  system_.write("stray-file", "x");
  system_.write("apps/stray-file", "x");
  system_.write("apps/bad-utf8/meta.toml", "title = \"\xff\"");
  system_.mkdir("apps/meta-is-dir/meta.toml");
  const auto broken = system_.write("apps/expert/meta.toml", meta("E", "difficulty = 'expert'"));
  system_.write("apps/extra-keys/meta.toml", meta("Extra", "colour = 'blue'\n[more]\nx = 1"));

  std::vector<Guide> guides;
  const std::string err = stderr_of([&] { guides = load(); });
  EXPECT_THAT(keys(guides), ElementsAre("getting-started/welcome", "apps/extra-keys"));
  EXPECT_EQ(err, "marlguide: " + broken.string() + " failed to parse, skipping\n");
}

TEST_F(GuideLibrary, UserGuideReplacesSystemGuideByResolvedKey) {
  system_.write("getting-started/welcome/meta.toml", meta("System welcome"));
  system_.write("getting-started/welcome/content.md", "system text");
  system_.write("getting-started/tour/meta.toml", meta("System tour"));
  user_.write("getting-started/welcome/meta.toml", meta("User welcome"));
  user_.write("getting-started/welcome/content.md", "user text");
  // Same directory, but its meta moves it to another category: both stay.
  user_.write("getting-started/tour/meta.toml", meta("User tour", "category = 'apps'"));

  const auto guides = load();
  ASSERT_THAT(keys(guides),
              ElementsAre("getting-started/tour", "getting-started/welcome", "apps/tour"));
  EXPECT_EQ(guides[0].meta.title, "System tour");
  EXPECT_EQ(guides[1].meta.title, "User welcome");
  EXPECT_EQ(guide_text(guides[1], false), "user text");
  EXPECT_EQ(guides[2].meta.title, "User tour");
  EXPECT_EQ(guides[2].path, user_.path() / "getting-started/tour");
}

TEST_F(GuideLibrary, BrokenUserGuideLeavesSystemGuide) {
  system_.write("apps/files/meta.toml", meta("Files"));
  user_.write("apps/files/meta.toml", "title = ");
  std::vector<Guide> guides;
  const std::string err = stderr_of([&] { guides = load(); });
  ASSERT_EQ(guides.size(), 1u);
  EXPECT_EQ(guides[0].path, system_.path() / "apps/files");
  EXPECT_THAT(err, HasSubstr("failed to parse, skipping"));
}

TEST_F(GuideLibrary, OrdersByRankThenCategoryThenIdBytes) {
  for (const char* key :
       {"zeta/a", "apps/b-guide", "apps/a-guide", "getting-started/z", "Advanced/a", "advanced/a",
        "daily-use/a", "troubleshooting/a", "customization/a", "apps/B-upper"}) {
    system_.write(std::string(key) + "/meta.toml", meta("Title"));
  }
  EXPECT_THAT(keys(load()), ElementsAre("getting-started/z", "daily-use/a", "customization/a",
                                        "apps/B-upper", "apps/a-guide", "apps/b-guide",
                                        "troubleshooting/a", "advanced/a", "Advanced/a", "zeta/a"));
}

TEST_F(GuideLibrary, FollowsSymlinksAndRepairsNames) {
  system_.write("real/guide/meta.toml", meta("Linked"));
  std::filesystem::create_directory_symlink(system_.path() / "real", system_.path() / "apps");
  system_.write("misc/caf\xe9/meta.toml", meta("Latin-1 name"));
  const auto got = keys(load());
  EXPECT_THAT(got, ElementsAre("apps/guide", "misc/caf\xef\xbf\xbd", "real/guide"));
}

TEST_F(GuideLibrary, TextFallsBackFromBeginnerToNormalToEmpty) {
  system_.write("apps/both/meta.toml", meta("Both"));
  system_.write("apps/both/content.md", "normal");
  system_.write("apps/both/content.beginner.md", "simple");
  system_.write("apps/normal-only/meta.toml", meta("Normal only"));
  system_.write("apps/normal-only/content.md", "normal");
  system_.write("apps/neither/meta.toml", meta("Neither"));
  system_.write("apps/bad-beginner/meta.toml", meta("Bad"));
  system_.write("apps/bad-beginner/content.md", "normal");
  system_.write("apps/bad-beginner/content.beginner.md", "\xc3");

  const auto guides = load();
  ASSERT_THAT(keys(guides),
              ElementsAre("apps/bad-beginner", "apps/both", "apps/neither", "apps/normal-only"));
  EXPECT_EQ(guide_text(guides[0], true), "normal");
  EXPECT_EQ(guide_text(guides[1], true), "simple");
  EXPECT_EQ(guide_text(guides[1], false), "normal");
  EXPECT_EQ(guide_text(guides[2], true), "");
  EXPECT_EQ(guide_text(guides[3], true), "normal");
}

TEST(ContentRoots, UserRootFollowsTheEnvironment) {
  struct Case {
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    const char* want;
  } cases[] = {
      {"/data", "/home/u", "/data/marlguide/content"},
      {"relative/dir", "/home/u", "/home/u/.local/share/marlguide/content"},
      {"", "/home/u", "/home/u/.local/share/marlguide/content"},
      {"/bad\xff", "/home/u", "/home/u/.local/share/marlguide/content"},
      {std::nullopt, std::nullopt, "/root/.local/share/marlguide/content"},
      {"relative/dir", std::nullopt, "/root/.local/share/marlguide/content"},
      {std::nullopt, "/home/\xff", "/root/.local/share/marlguide/content"},
      {std::nullopt, "", ".local/share/marlguide/content"},
      {std::nullopt, "rel", "rel/.local/share/marlguide/content"},
  };
  for (const auto& c : cases) {
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(user_content_dir(), std::filesystem::path(c.want))
        << c.xdg.value_or("(unset)") << " " << c.home.value_or("(unset)");
  }
}

TEST(ContentRoots, SystemRootCanBeMovedForTests) {
  {
    ScopedEnv moved("MARLGUIDE_CONTENT_DIR", std::nullopt);
    EXPECT_EQ(system_content_dir(), "/usr/share/marlguide/content");
  }
  {
    ScopedEnv moved("MARLGUIDE_CONTENT_DIR", "");
    EXPECT_EQ(system_content_dir(), "/usr/share/marlguide/content");
  }
  TempDir tree;
  tree.write("apps/files/meta.toml", meta("Files"));
  ScopedEnv moved("MARLGUIDE_CONTENT_DIR", tree.path().string());
  ScopedEnv data("XDG_DATA_HOME", (tree.path() / "nobody").string());
  EXPECT_THAT(keys(load_guides()), ElementsAre("apps/files"));
}

}  // namespace
}  // namespace marlguide::content

#include "content/search.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlguide::content {
namespace {

using ::testing::ElementsAre;

Guide guide(std::string category, std::string id, std::string title,
            std::vector<std::string> tags = {}) {
  Guide g;
  g.category = std::move(category);
  g.id = std::move(id);
  g.meta.title = std::move(title);
  g.meta.tags = std::move(tags);
  return g;
}

Keybind bind(std::string combo, std::string description) {
  return {std::move(combo), std::move(description), "apps", std::nullopt, std::nullopt};
}

std::vector<std::string> rows(const std::vector<SearchItem>& index, std::string_view query,
                              std::size_t limit = 40) {
  std::vector<std::string> out;
  for (auto i : matching_items(index, query, limit)) out.push_back(index[i].row_text);
  return out;
}

TEST(SearchIndex, GuidesThenBindingsThenCommandsWithTheirTexts) {
  const Keybind terminal{"super + return", "Open a Terminal", "apps", "kitty", "exec,kitty"};
  const auto index = build_search_index(
      {guide("getting-started", "welcome", "Welcome to MOS", {"Intro", "FIRST steps"}),
       guide("apps", "launcher", "Launcher")},
      {terminal});
  ASSERT_EQ(index.size(), 2u + 1u + builtin_commands().size());

  EXPECT_EQ(index[0].row_text, "Welcome to MOS");
  EXPECT_EQ(index[0].haystack, "welcome to mos intro first steps");
  EXPECT_EQ(std::get<GuideKey>(index[0].target), (GuideKey{"getting-started", "welcome"}));
  // Without tags the title is followed by one space.
  EXPECT_EQ(index[1].haystack, "launcher ");
  EXPECT_EQ(std::get<GuideKey>(index[1].target), (GuideKey{"apps", "launcher"}));

  EXPECT_EQ(index[2].row_text, "super + return \u2014 Open a Terminal");
  EXPECT_EQ(index[2].haystack, "super + return \u2014 open a terminal");
  EXPECT_EQ(std::get<Keybind>(index[2].target), terminal);

  for (std::size_t i = 0; i < builtin_commands().size(); ++i) {
    const auto& item = index[3 + i];
    const auto& command = builtin_commands()[i];
    EXPECT_EQ(item.row_text, command.name);
    EXPECT_EQ(std::get<CommandEntry>(item.target).name, command.name);
  }
  EXPECT_EQ(index[3].haystack,
            "mos-update update both the system (pacman) and the marl ecosystem (marlsync) in one "
            "go.");
}

TEST(SearchIndex, LowerCasesWithTheFullUnicodeMapping) {
  const auto index = build_search_index(
      {guide("apps", "x", "\xC3\x89T\xC3\x89 \xCE\xA3\xCE\x9F\xCE\xA6\xCE\x9F\xCE\xA3",
             {"\xE1\xBA\x9E"})},
      {});
  // É lower-cases to é, the Greek capital sigma at a word's end to the final sigma, and the
  // capital sharp s to ß.
  EXPECT_EQ(index[0].haystack,
            "\xC3\xA9t\xC3\xA9 \xCF\x83\xCE\xBF\xCF\x86\xCE\xBF\xCF\x82 \xC3\x9F");
  EXPECT_THAT(rows(index, "\xC3\x89T\xC3\x89"), ElementsAre(index[0].row_text));
}

class Matching : public ::testing::Test {
 protected:
  const std::vector<SearchItem> index_ = build_search_index(
      {guide("daily-use", "wifi", "Getting online", {"WiFi", "network"}),
       guide("apps", "notes", "Notes"), guide("apps", "launcher", "The app launcher")},
      {bind("super + t", "Tasks"), bind("super + shift + n", "Wi-Fi and network profiles")});
};

TEST_F(Matching, SubstringOfTheLowerCasedHaystackWithoutTrimming) {
  const struct {
    const char* query;
    std::vector<std::string> rows;
  } cases[] = {
      // A tag finds the guide; its row still shows the title.
      {"WIFI", {"Getting online"}},
      // marlnet's description spells Wi-Fi with a hyphen.
      {"wi-fi", {"super + shift + n \u2014 Wi-Fi and network profiles", "marlnet"}},
      {"super + t", {"super + t \u2014 Tasks"}},
      {"super+t", {}},
      // The guide haystack ends with a space; the binding's and command's do not.
      {"notes ", {"Notes"}},
      {"launcher ", {"The app launcher"}},
      {"tasks ", {}},
      {" ",
       {"Getting online", "Notes", "The app launcher", "super + t \u2014 Tasks",
        "super + shift + n \u2014 Wi-Fi and network profiles", "mos-update", "mos-settings",
        "marllaunch", "marljot", "marltask", "marlwall", "marlpaste", "marlnet"}},
      {"nothing like this", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(rows(index_, c.query), c.rows) << '"' << c.query << '"';
}

TEST_F(Matching, EmptyQueryMatchesEverythingUpToTheLimit) {
  EXPECT_EQ(matching_items(index_, "", 100).size(), index_.size());
  EXPECT_THAT(matching_items(index_, "", 4), ElementsAre(0, 1, 2, 3));
  EXPECT_THAT(matching_items(index_, "o", 2), ElementsAre(0, 1));
  EXPECT_TRUE(matching_items(index_, "", 0).empty());
  EXPECT_TRUE(matching_items({}, "", 40).empty());
}

TEST(SearchLimit, FirstFortyInIndexOrder) {
  std::vector<Guide> guides;
  for (int i = 0; i < 50; ++i) guides.push_back(guide("apps", std::to_string(i), "g"));
  auto first = matching_items(build_search_index(guides, {}), "", 40);
  ASSERT_EQ(first.size(), 40u);
  EXPECT_EQ(first.back(), 39u);

  guides.resize(10);
  std::vector<Keybind> binds(45, bind("super + x", "b"));
  const auto index = build_search_index(guides, binds);
  const auto shown = matching_items(index, "", 40);
  ASSERT_EQ(shown.size(), 40u);
  EXPECT_TRUE(std::holds_alternative<GuideKey>(index[shown[9]].target));
  EXPECT_TRUE(std::holds_alternative<Keybind>(index[shown[10]].target));
  EXPECT_EQ(shown.back(), 39u) << "the first 30 bindings";
}

}  // namespace
}  // namespace marlguide::content

// Luminance, ink and the sixteen named colours.

#include "marl-theme/palette.hpp"

#include <gtest/gtest.h>

namespace marl::theme {
namespace {

TEST(Luminance, KnownColours) {
  struct Case {
    const char* color;
    float luminance;
  };
  const Case cases[] = {
      {"#000000", 0.0f},    {"#ffffff", 1.0f},    {"#FFFFFF", 1.0f},    {"#ff0000", 0.2126f},
      {"#00ff00", 0.7152f}, {"#0000ff", 0.0722f}, {"#757575", 0.1779f}, {"#767676", 0.1812f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(relative_luminance(c.color), c.luminance, 1e-4) << c.color;
}

TEST(Luminance, OddTextsReadLikeTheseColours) {
  struct Case {
    const char* text;
    const char* reads_as;
  };
  const Case cases[] = {
      {"##ffffff", "#ffffff"},    // every leading number sign is skipped
      {"ffffff", "#ffffff"},      // and none is needed
      {"#fff", "#ff0000"},        // no short form: red ff, the rest missing
      {"#ffffff00", "#ffffff"},   // past six characters nothing counts
      {"rgb(1,2,3)", "#000000"},  // pairs that are not hex count 0
      {"#+f+f+f", "#0f0f0f"},     // a plus and one digit is that digit
      {"#f+0000", "#000000"},     // but not the other way round
      {"#-f0000", "#000000"},
      {"#\xc3\xa9"
       "ffff",
       "#00ffff"},  // é fills the first pair and is not hex
      {"#f\xc3\xa9"
       "ff00",
       "#0000f0"},  // pairs that would split é count 0
      {"", "#000000"},
      {"#", "#000000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(relative_luminance(c.text), relative_luminance(c.reads_as)) << c.text;
}

TEST(Ink, FlipsAboveTheThreshold) {
  EXPECT_EQ(ink_for("#757575"), "#f5f5f5");
  EXPECT_EQ(ink_for("#767676"), "#11111b");
  EXPECT_EQ(ink_for("rgb(255,255,255)"), "#f5f5f5");
  EXPECT_EQ(ink_for("#ffffff"), "#11111b");
}

TEST(Palette, DefaultColoursInOrder) {
  const std::array<PaletteEntry, 16> expected{{
      {"bg", "#0c0c0c"},
      {"fg", "#e8e8e8"},
      {"surface", "#1a1a1a"},
      {"overlay", "#d8d8d8"},
      {"accent", "#eab672"},
      {"red", "#b98749"},
      {"green", "#cd9450"},
      {"yellow", "#e3a85c"},
      {"blue", "#eab672"},
      {"pink", "#f6c477"},
      {"teal", "#eabe82"},
      {"on-bg", "#f5f5f5"},
      {"on-surface", "#f5f5f5"},
      {"on-accent", "#11111b"},
      {"on-red", "#11111b"},
      {"on-overlay", "#11111b"},
  }};
  EXPECT_EQ(build_palette(ThemeColors{}), expected);
}

TEST(Palette, AccentsAndTheirInksFollowTheColours) {
  ThemeColors c;
  c.color1 = "#ffffff";
  c.color4 = "#101010";
  const auto p = build_palette(c);
  EXPECT_EQ(p[4], (PaletteEntry{"accent", "#101010"}));
  EXPECT_EQ(p[8], (PaletteEntry{"blue", "#101010"}));
  EXPECT_EQ(p[13], (PaletteEntry{"on-accent", "#f5f5f5"}));
  EXPECT_EQ(p[14], (PaletteEntry{"on-red", "#11111b"}));
}

}  // namespace
}  // namespace marl::theme

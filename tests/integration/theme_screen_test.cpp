// The theme as a user sees it: the colour of the real window on the screen, before and after a
// runtime stylesheet appears and goes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "harness.hpp"
#include "screen.hpp"

namespace marlguide::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ThemeOnScreen : public AppTest {
 protected:
  void TearDown() override {
    std::error_code ignored;
    fs::remove(runtime_css_, ignored);
    AppTest::TearDown();
  }

  // The colour of the window's own background, in a corner no widget covers.
  std::optional<std::uint32_t> window_colour() {
    auto windows = app_windows();
    if (windows.size() != 1) return std::nullopt;
    auto shot = capture_screen(home() / ("shot" + std::to_string(++shots_) + ".png"));
    if (!shot) return std::nullopt;
    const auto& w = windows[0];
    return shot->at(w.x + w.width - 6, w.y + w.height - 6);
  }
  bool window_becomes(std::uint32_t colour) {
    return wait_until([&] { return window_colour() == colour; });
  }

  const fs::path runtime_css_ = fs::path(std::getenv("XDG_RUNTIME_DIR")) / "marl" / "theme.css";
  int shots_ = 0;
};

TEST_F(ThemeOnScreen, ARuntimeStylesheetRethemesTheRunningWindowAndItsRemovalRestores) {
  Process& p = start({});
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_TRUE(window_becomes(0x0c0c0c)) << std::hex << window_colour().value_or(0);

  {
    // Written whole and renamed onto the name, as a theme tool would.
    const fs::path temp = runtime_css_.parent_path() / ".theme.css.part";
    std::ofstream(temp) << "window { background-color: #2040c0; }\n";
    fs::rename(temp, runtime_css_);
  }
  EXPECT_TRUE(window_becomes(0x2040c0)) << std::hex << window_colour().value_or(0);

  fs::remove(runtime_css_);
  EXPECT_TRUE(window_becomes(0x0c0c0c)) << std::hex << window_colour().value_or(0);

  // Neither the theme nor the application stylesheet leaves GTK a colour name to complain
  // about.
  EXPECT_THAT(p.stderr_text(), Not(HasSubstr("WARNING")));
  EXPECT_THAT(p.stderr_text(), Not(HasSubstr("CRITICAL")));
}

TEST_F(ThemeOnScreen, ButtonsTakeThePaletteAndTheCurrentPageIsMarked) {
  start({});
  ASSERT_TRUE(wait_for_windows(1));
  ASSERT_TRUE(window_becomes(0x0c0c0c));
  auto shot = capture_screen(home() / "switcher.png");
  ASSERT_TRUE(shot);
  const auto w = app_windows().at(0);
  // The page switcher is centred at the top; its three buttons share its width. Sample each
  // button in its top padding, above the label.
  const int centre = w.x + w.width / 2, y = w.y + 13;
  const std::uint32_t home_button = shot->at(centre - 133, y);
  const std::uint32_t learn_button = shot->at(centre, y);
  const auto brightest = [](std::uint32_t c) {
    return std::max({c >> 16 & 0xff, c >> 8 & 0xff, c & 0xff});
  };
  // GTK's own light button image must not cover the palette's dark surface, or the light ink
  // of the labels would vanish on it.
  EXPECT_LT(brightest(learn_button), 0x60u) << std::hex << learn_button;
  EXPECT_NE(home_button, learn_button) << "the current page stands out";
}

}  // namespace
}  // namespace marlguide::testing

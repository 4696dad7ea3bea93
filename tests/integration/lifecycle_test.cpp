// The real binary on the headless compositor: one instance, forwarding, dispatch, exit codes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "harness.hpp"
#include "screen.hpp"

namespace marlguide::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The banner sits below the header row of the Home page. While it is hidden the "Quick fixes"
// heading moves up into its band, at the left; right of the heading the band is plain
// background until the banner is revealed.
constexpr int kBannerLeft = 150, kBannerTop = 118, kBannerHeight = 50, kBannerWidth = 600;

class Lifecycle : public AppTest {
 protected:
  int banner_ink() {
    auto shot = capture_screen(home() / ("shot" + std::to_string(++shots_) + ".png"));
    if (!shot) return -1;
    auto windows = app_windows();
    if (windows.size() != 1) return -1;
    const auto& w = windows[0];
    return shot->count_unlike_corner(w.x + kBannerLeft, w.y + kBannerTop, kBannerWidth,
                                     kBannerHeight);
  }

  void expect_clean_stderr(const Process& p) {
    EXPECT_THAT(p.stderr_text(), Not(HasSubstr("CRITICAL")));
    EXPECT_THAT(p.stderr_text(), Not(HasSubstr("WARNING")));
  }

  int shots_ = 0;
};

TEST_F(Lifecycle, FirstStartShowsOneWindowAndClosingItEndsWithZero) {
  Process& primary = start({});
  ASSERT_TRUE(wait_for_windows(1));
  const auto w = app_windows().at(0);
  EXPECT_EQ(w.app_id, "com.marlworks.marlguide");
  EXPECT_EQ(w.title, "MOS Help");
  EXPECT_EQ(w.pid, primary.pid());

  ASSERT_TRUE(swaymsg({"[app_id=com.marlworks.marlguide]", "kill"}));
  EXPECT_EQ(primary.wait_exit(), 0);
  expect_clean_stderr(primary);
}

TEST_F(Lifecycle, SecondInvocationIsForwardedToThePrimary) {
  Process& primary = start({});
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_EQ(banner_ink(), 0) << "the banner starts hidden";

  Process& second = run({"--suggest", "monitor-setup"});
  EXPECT_EQ(second.wait_exit(0ms), 0);
  EXPECT_TRUE(primary.running());
  EXPECT_TRUE(wait_until([&] { return banner_ink() > 100; })) << "the primary revealed the banner";
  EXPECT_EQ(app_windows().size(), 1u);
  EXPECT_EQ(app_windows().at(0).pid, primary.pid());

  Process& third = run({});
  EXPECT_EQ(third.wait_exit(0ms), 0);
  EXPECT_EQ(app_windows().size(), 1u) << "presenting again raises the same window";
  expect_clean_stderr(second);
  expect_clean_stderr(primary);
}

TEST_F(Lifecycle, UnknownSuggestionOnFreshStartPresentsWithoutBanner) {
  start({"--suggest", "coffee-machine"});
  ASSERT_TRUE(wait_for_windows(1));
  // Give a banner the time it would need to slide in.
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(banner_ink(), 0);
}

TEST_F(Lifecycle, KnownSuggestionOnFreshStartPresentsWithBanner) {
  start({"--suggest", "monitor-setup"});
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_TRUE(wait_until([&] { return banner_ink() > 100; }));
}

TEST_F(Lifecycle, ScreenshotWithoutOutputIsAUsageError) {
  Process& p = run({"--screenshot", "home"});
  EXPECT_EQ(p.wait_exit(0ms), 1);
  EXPECT_EQ(p.stderr_text(), "marlguide: --screenshot requires --output\n");
  EXPECT_TRUE(app_windows().empty());
}

TEST_F(Lifecycle, ScreenshotUsageErrorNeverReachesARunningInstance) {
  Process& primary = start({});
  ASSERT_TRUE(wait_for_windows(1));
  Process& p = run({"--screenshot", "home"});
  EXPECT_EQ(p.wait_exit(0ms), 1) << "a screenshot run works in its own process";
  EXPECT_EQ(p.stderr_text(), "marlguide: --screenshot requires --output\n");
  EXPECT_TRUE(primary.running());
}

TEST_F(Lifecycle, ResidentInstanceWithHiddenWindowIsReused) {
  // A tour event on a fresh start builds the window but shows nothing, and stays resident.
  Process& primary = start({"--tour-event", "nothing-running"});
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(primary.running());
  EXPECT_TRUE(app_windows().empty());

  Process& second = run({});
  EXPECT_EQ(second.wait_exit(0ms), 0);
  ASSERT_TRUE(wait_for_windows(1));
  EXPECT_EQ(app_windows().at(0).pid, primary.pid());
}

TEST_F(Lifecycle, SuggestConsumingScreenshotRunsInItsOwnProcess) {
  // "--screenshot" here is the suggestion's value: no capture, but a non-unique run that
  // presents its own window even while another instance is open.
  Process& primary = start({});
  ASSERT_TRUE(wait_for_windows(1));
  Process& own = start({"--suggest", "--screenshot"});
  ASSERT_TRUE(wait_for_windows(2));
  EXPECT_TRUE(own.running());
  EXPECT_TRUE(primary.running());
}

}  // namespace
}  // namespace marlguide::testing

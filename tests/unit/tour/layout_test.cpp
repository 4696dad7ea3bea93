// What one rendering of a step shows: which dimming, where the card goes, and which rows and
// buttons the card carries.

#include "ui/tour/layout.hpp"

#include <gtest/gtest.h>

namespace marlguide::ui::tour {
namespace {

constexpr MonitorSize kFullHd{1920, 1080};

class LayoutTest : public ::testing::Test {
 protected:
  RenderRequest request(std::size_t index, std::size_t count) {
    return RenderRequest{
        .step = step_, .index = index, .count = count, .binds = binds_, .last = index + 1 >= count};
  }
  content::Step step_ = [] {
    content::Step s;
    s.id = "s";
    s.title = "T";
    s.body = "B";
    return s;
  }();
  std::vector<content::Keybind> binds_;
};

TEST_F(LayoutTest, ATargetGetsStripsAndACardBesideIt) {
  const auto plan = plan_overlay(request(1, 5), Rect{100, 50, 800, 600}, kFullHd);
  ASSERT_TRUE(plan.has_value());
  EXPECT_FALSE(plan->full_mask);
  EXPECT_EQ(plan->strips, mask_strips({100, 50, 800, 600}, kFullHd));
  EXPECT_EQ(plan->callout.margins, (CalloutMargins{100, 662}));
  EXPECT_EQ(plan->callout.counter, "Step 2 of 5");
  EXPECT_TRUE(plan->callout.back_sensitive);
  EXPECT_EQ(plan->callout.main_label, "Next");
  EXPECT_FALSE(plan->callout.confirmed_line);
  EXPECT_FALSE(plan->callout.focus_main);
}

TEST_F(LayoutTest, WithoutATargetTheCardIsCentredOverAFullMask) {
  const auto plan = plan_overlay(request(0, 5), std::nullopt, kFullHd);
  ASSERT_TRUE(plan.has_value());
  EXPECT_TRUE(plan->full_mask);
  EXPECT_TRUE(plan->strips.empty());
  EXPECT_EQ(plan->callout.margins, std::nullopt);
  EXPECT_FALSE(plan->callout.back_sensitive) << "nothing before the first step";
  EXPECT_EQ(plan->callout.counter, "Step 1 of 5");
}

TEST_F(LayoutTest, TheLastStepFinishes) {
  const auto plan = plan_overlay(request(4, 5), std::nullopt, kFullHd);
  EXPECT_EQ(plan->callout.main_label, "Finish");
  EXPECT_EQ(plan->callout.counter, "Step 5 of 5");
  EXPECT_EQ(plan_overlay(request(0, 1), std::nullopt, kFullHd)->callout.main_label, "Finish");
}

TEST_F(LayoutTest, ATargetFillingTheMonitorShowsNothing) {
  EXPECT_FALSE(plan_overlay(request(0, 2), Rect{0, 0, 1900, 1040}, kFullHd).has_value());
  EXPECT_TRUE(plan_overlay(request(0, 2), Rect{0, 0, 1800, 900}, kFullHd).has_value());
}

TEST_F(LayoutTest, TheHintRowNeedsADueHintALaunchCommandNoConfirmationAndNoTarget) {
  struct Case {
    bool hint_due, launch, confirmed, target, shown;
  };
  for (const auto& c : {
           Case{true, true, false, false, true},
           Case{false, true, false, false, false},
           Case{true, false, false, false, false},
           Case{true, true, true, false, false},
           Case{true, true, false, true, false},
       }) {
    step_.launch = c.launch ? std::optional<std::string>("kitty") : std::nullopt;
    auto r = request(0, 2);
    r.hint_due = c.hint_due;
    r.confirmed = c.confirmed;
    const auto target = c.target ? std::optional<Rect>(Rect{10, 10, 100, 100}) : std::nullopt;
    EXPECT_EQ(plan_overlay(r, target, kFullHd)->callout.hint_row, c.shown)
        << c.hint_due << c.launch << c.confirmed << c.target;
  }
}

TEST_F(LayoutTest, AConfirmedStepSaysSoAndOffersNextToTheKeyboard) {
  auto r = request(1, 3);
  r.confirmed = true;
  for (const auto& target : {std::optional<Rect>{}, std::optional<Rect>(Rect{10, 10, 50, 50})}) {
    const auto plan = plan_overlay(r, target, kFullHd);
    EXPECT_TRUE(plan->callout.confirmed_line);
    EXPECT_TRUE(plan->callout.focus_main);
  }
}

}  // namespace
}  // namespace marlguide::ui::tour

// Where the overlay's strips and callout go, with the numbers a compositor really reports.

#include "ui/tour/geometry.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace marlguide::ui::tour {
namespace {

using Side = Strip::Side;
constexpr MonitorSize kFullHd{1920, 1080};
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct PlacementCase {
  const char* what;
  Rect target;
  MonitorSize monitor;
  std::vector<Strip> strips;
  CalloutMargins callout;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, StripsLeaveExactlyTheTargetAndTheCardSitsBesideIt) {
  const auto& c = GetParam();
  EXPECT_EQ(mask_strips(c.target, c.monitor), c.strips);
  EXPECT_EQ(callout_margins(c.target, c.monitor), c.callout);
}

INSTANTIATE_TEST_SUITE_P(
    Tour, Placement,
    ::testing::Values(PlacementCase{"window in the middle",
                                    {100, 50, 800, 600},
                                    kFullHd,
                                    {{Side::Top, -1, 50, 0},
                                     {Side::Bottom, -1, 430, 0},
                                     {Side::Left, 100, 600, 50},
                                     {Side::Right, 1020, 600, 50}},
                                    {100, 662}},
                      PlacementCase{"bar along the top edge",
                                    {0, 0, 1920, 40},
                                    kFullHd,
                                    {{Side::Bottom, -1, 1040, 0}},
                                    {20, 52}},
                      PlacementCase{"no room below: the card goes above",
                                    {300, 900, 400, 100},
                                    kFullHd,
                                    {{Side::Top, -1, 900, 0},
                                     {Side::Bottom, -1, 80, 0},
                                     {Side::Left, 300, 100, 900},
                                     {Side::Right, 1220, 100, 900}},
                                    {300, 668}},
                      PlacementCase{"no room above either: the card overlaps at the top",
                                    {300, 100, 400, 900},
                                    kFullHd,
                                    {{Side::Top, -1, 100, 0},
                                     {Side::Bottom, -1, 80, 0},
                                     {Side::Left, 300, 900, 100},
                                     {Side::Right, 1220, 900, 100}},
                                    {300, 20}},
                      PlacementCase{"near the right edge the card stays on screen",
                                    {1700, 100, 200, 100},
                                    kFullHd,
                                    {{Side::Top, -1, 100, 0},
                                     {Side::Bottom, -1, 880, 0},
                                     {Side::Left, 1700, 100, 100},
                                     {Side::Right, 20, 100, 100}},
                                    {1540, 212}},
                      PlacementCase{"target against the bottom-right corner",
                                    {1520, 980, 400, 100},
                                    kFullHd,
                                    {{Side::Top, -1, 980, 0}, {Side::Left, 1520, 100, 980}},
                                    {1520, 748}},
                      PlacementCase{"a target without height has nothing beside it",
                                    {100, 200, 300, 0},
                                    kFullHd,
                                    {{Side::Top, -1, 200, 0}, {Side::Bottom, -1, 880, 0}},
                                    {100, 212}},
                      PlacementCase{
                          "sums past the 32-bit range neither wrap nor crash",
                          {0, kMax - 100, 100, 1000},
                          kFullHd,
                          {{Side::Top, -1, kMax - 100, 0}, {Side::Right, 1820, 1000, kMax - 100}},
                          {20, kMax - 332}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(TourGeometry, ANarrowMonitorPutsEveryCardAtTheLeftMargin) {
  for (const std::int32_t x : {-50, 0, 19, 20, 21, 100, 370, 389, 1000})
    EXPECT_EQ(callout_margins({x, 10, 5, 5}, {390, 1080}).left, 20) << "x = " << x;
  // From 401 pixels on, the card can move right; it never passes W - 380.
  EXPECT_EQ(callout_margins({30, 10, 5, 5}, {401, 1080}).left, 21);
  EXPECT_EQ(callout_margins({30, 10, 5, 5}, {400, 1080}).left, 20);
}

TEST(TourGeometry, TheCardNeverSitsCloserThan20ToTheLeftEdge) {
  EXPECT_EQ(callout_margins({-300, 100, 400, 100}, kFullHd).left, 20);
  EXPECT_EQ(callout_margins({19, 100, 400, 100}, kFullHd).left, 20);
  EXPECT_EQ(callout_margins({20, 100, 400, 100}, kFullHd).left, 20);
  EXPECT_EQ(callout_margins({21, 100, 400, 100}, kFullHd).left, 21);
}

TEST(TourGeometry, ATargetBelowTheCardsHeightFromTheTopUsesTheTopMargin) {
  // y - 232 must be 21 or more to go above; 20 exactly is not enough.
  EXPECT_EQ(callout_margins({0, 252, 10, 900}, kFullHd).top, 20);
  EXPECT_EQ(callout_margins({0, 253, 10, 900}, kFullHd).top, 21);
  // Exactly enough room below: y + h + 232 == H still fits.
  EXPECT_EQ(callout_margins({0, 0, 10, 848}, kFullHd).top, 860);
  EXPECT_EQ(callout_margins({0, 0, 10, 849}, kFullHd).top, 20);
}

TEST(TourGeometry, OnlyATargetCovering90PercentBothWaysFillsTheMonitor) {
  struct Case {
    Rect target;
    bool fills;
  };
  for (const auto& [target, fills] : {
           Case{{0, 0, 1900, 1040}, true},
           Case{{10, 20, 1800, 900}, false},  // the height is under 90%
           Case{{0, 0, 1728, 972}, true},     // exactly 90% both ways
           Case{{0, 0, 1727, 972}, false},
           Case{{0, 0, 1728, 971}, false},
           Case{{0, 0, 1920, 40}, false},
           Case{{0, 0, 300'000'000, 300'000'000}, true},  // ten times this wraps in 32 bits
           Case{{0, 0, -1920, -1080}, false},
       }) {
    EXPECT_EQ(fills_monitor(target, kFullHd), fills)
        << target.x << "," << target.y << " " << target.w << "x" << target.h;
  }
}

}  // namespace
}  // namespace marlguide::ui::tour

#include "ui/tour/geometry.hpp"

#include <algorithm>
#include <limits>

namespace marlguide::ui::tour {
namespace {

// The compositor's numbers are arbitrary 32-bit values; sums of them are formed in 64 bits and
// brought back into range only at the end, so no combination of inputs can overflow.
std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

constexpr std::int64_t kEdgeGap = 20;    // the card keeps this far from the monitor's edges
constexpr std::int64_t kTargetGap = 12;  // and this far below the target it points at

}  // namespace

std::vector<Strip> mask_strips(Rect t, MonitorSize m) {
  const std::int64_t x = t.x, y = t.y, w = t.w, h = t.h, W = m.width, H = m.height;
  std::vector<Strip> strips;
  if (y > 0) strips.push_back({Strip::Side::Top, -1, clamp32(y), 0});
  if (const std::int64_t below = H - (y + h); below > 0)
    strips.push_back({Strip::Side::Bottom, -1, clamp32(below), 0});
  // The side strips span the target's height only; a target without height leaves nothing
  // beside it to cover.
  if (h > 0) {
    if (x > 0) strips.push_back({Strip::Side::Left, clamp32(x), clamp32(h), clamp32(y)});
    if (const std::int64_t right = W - (x + w); right > 0)
      strips.push_back({Strip::Side::Right, clamp32(right), clamp32(h), clamp32(y)});
  }
  return strips;
}

bool fills_monitor(Rect t, MonitorSize m) {
  return std::int64_t{t.w} * 10 >= std::int64_t{m.width} * 9 &&
         std::int64_t{t.h} * 10 >= std::int64_t{m.height} * 9;
}

CalloutMargins callout_margins(Rect t, MonitorSize m) {
  const std::int64_t x = t.x, y = t.y, h = t.h, W = m.width, H = m.height;
  // The rightmost left margin that keeps the whole card on screen.
  const std::int64_t rightmost = W - kCalloutWidth - kEdgeGap;
  const std::int64_t limit = rightmost >= kEdgeGap + 1 ? rightmost : kEdgeGap;
  const std::int64_t left = x < kEdgeGap ? kEdgeGap : std::min(x, limit);

  std::int64_t top = 0;
  if (y + h + kCalloutReservedHeight > H) {
    const std::int64_t above = y - kCalloutReservedHeight;
    top = above >= kEdgeGap + 1 ? above : kEdgeGap;
  } else {
    top = y + h + kTargetGap;
  }
  return {clamp32(left), clamp32(top)};
}

}  // namespace marlguide::ui::tour

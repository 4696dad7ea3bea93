#pragma once

// Where the pieces of a tour overlay go on a monitor: the dimming strips around a target, the
// rule that drops the overlay for a target that fills the screen, and the callout's margins.
// Plain arithmetic on the numbers the compositor reported; no GTK here.

#include <cstdint>
#include <vector>

namespace marlguide::ui::tour {

// A target's rectangle as the compositor reported it, as offsets within its monitor.
struct Rect {
  std::int32_t x = 0, y = 0, w = 0, h = 0;
};

struct MonitorSize {
  std::int32_t width = 0, height = 0;
};

// One dimming window around a target.
struct Strip {
  enum class Side { Top, Bottom, Left, Right };
  Side side = Side::Top;
  // The window's default size; -1 leaves that dimension to the anchors (full width).
  std::int32_t width = -1, height = -1;
  // Distance from the monitor's top edge; only the side strips have one.
  std::int32_t top_margin = 0;

  bool operator==(const Strip&) const = default;
};

// The strips that cover the monitor except the target, in the order they are created (top,
// bottom, left, right); a strip whose size would not be positive is left out.
std::vector<Strip> mask_strips(Rect target, MonitorSize monitor);

// A target at least 90% as wide and as high as its monitor: spotlighting it would dim nothing
// worth dimming, so no overlay is shown for it.
bool fills_monitor(Rect target, MonitorSize monitor);

// The callout card's distance from the monitor's left and top edges, beside the target: below
// it when there is room, else above it, never closer than 20 pixels to an edge it can avoid.
struct CalloutMargins {
  std::int32_t left = 0, top = 0;

  bool operator==(const CalloutMargins&) const = default;
};
CalloutMargins callout_margins(Rect target, MonitorSize monitor);

// The card's width, and the height its placement reserves for it below or above a target.
inline constexpr std::int32_t kCalloutWidth = 360;
inline constexpr std::int32_t kCalloutReservedHeight = 232;

}  // namespace marlguide::ui::tour

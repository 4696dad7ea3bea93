#pragma once

// What one rendering of a tour step puts on screen, decided before any window exists: the
// dimming (one full mask or strips around the target), the callout's place and its rows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/tour/engine.hpp"
#include "ui/tour/geometry.hpp"

namespace marlguide::ui::tour {

struct CalloutPlan {
  // Beside the target; none centres the card on the monitor.
  std::optional<CalloutMargins> margins;
  bool confirmed_line = false;  // "✓ Nice work — click Next to continue."
  bool hint_row = false;        // "Still there?" with "Show me"
  std::string counter;          // "Step 2 of 5"
  bool back_sensitive = false;
  std::string main_label;   // "Next" or "Finish"
  bool focus_main = false;  // the main button takes the keyboard focus
};

struct OverlayPlan {
  bool full_mask = false;     // one mask over the whole monitor
  std::vector<Strip> strips;  // otherwise these, around the target
  CalloutPlan callout;
};

// The plan for `request` on a monitor of `monitor` size, with the target's rectangle when it
// was found (and the centred layout was not asked for). None when the target fills the
// monitor: then nothing at all is shown.
std::optional<OverlayPlan> plan_overlay(const RenderRequest& request, std::optional<Rect> target,
                                        MonitorSize monitor);

inline constexpr const char* kConfirmedText = "✓ Nice work — click Next to continue.";

}  // namespace marlguide::ui::tour

#include "ui/tour/layout.hpp"

#include <format>

namespace marlguide::ui::tour {

std::optional<OverlayPlan> plan_overlay(const RenderRequest& request, std::optional<Rect> target,
                                        MonitorSize monitor) {
  OverlayPlan plan;
  if (target) {
    if (fills_monitor(*target, monitor)) return std::nullopt;
    plan.strips = mask_strips(*target, monitor);
    plan.callout.margins = callout_margins(*target, monitor);
  } else {
    plan.full_mask = true;
    // "Show me" only makes sense while the target is missing, and not once the step is done.
    plan.callout.hint_row = request.hint_due && !request.confirmed && request.step.launch;
  }
  plan.callout.confirmed_line = request.confirmed;
  plan.callout.counter = std::format("Step {} of {}", request.index + 1, request.count);
  plan.callout.back_sensitive = request.index > 0;
  plan.callout.main_label = request.last ? "Finish" : "Next";
  plan.callout.focus_main = request.confirmed;
  return plan;
}

}  // namespace marlguide::ui::tour

#pragma once

// The link to the Hyprland compositor: hyprctl's JSON queries, the run-time binding call, and
// the tour's lookups built on them. Everything runs on the calling thread; each query holds it
// for at most three seconds (plus one poll) on a stuck compositor. Nothing is cached.

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/captured_run.hpp"
#include "services/hyprland_json.hpp"

namespace marlguide::services {

// Where a tour step's target is: a rectangle exactly as hyprctl reported it, and the monitor
// it is on.
struct TargetPlacement {
  Glib::RefPtr<Gdk::Monitor> monitor;
  std::int32_t x = 0, y = 0, w = 0, h = 0;
};

// Runs hyprctl with `args` and parses its whole standard output as one JSON document; none
// when hyprctl fails, times out or prints anything else. Nothing is reported.
std::optional<nlohmann::json> hyprctl_json(const std::vector<std::string>& args);

// The three queries; empty on any failure.
std::vector<Layer> layers();
std::vector<Client> clients();
std::vector<Monitor> monitors();

// Adds a binding to the running compositor (`hyprctl keyword bind <binding>`) without waiting
// for it. Only a failure to start hyprctl is reported.
void keyword_bind(std::string_view binding);

// Whether the target is on screen now; `Nothing` always is.
bool target_present(const StepTarget& target);

// Where the target is, with the GDK monitor of `display` it is on; none for `Nothing`, for a
// missing target and for a monitor GDK does not know.
std::optional<TargetPlacement> target_placement(const StepTarget& target,
                                                const Glib::RefPtr<Gdk::Display>& display);

// The monitor that has the focus; empty when none has or GDK does not know it.
Glib::RefPtr<Gdk::Monitor> focused_monitor(const Glib::RefPtr<Gdk::Display>& display);

// The first monitor of `display` whose connector is exactly `connector`; empty when none.
Glib::RefPtr<Gdk::Monitor> monitor_by_connector(const Glib::RefPtr<Gdk::Display>& display,
                                                std::string_view connector);

}  // namespace marlguide::services

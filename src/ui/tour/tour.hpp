#pragma once

// The onboarding tour as the rest of the program sees it. One tour at most runs per process,
// on the GTK main thread; every call here comes from that thread.

#include <gdkmm/display.h>

#include <string_view>

#include "config/state.hpp"

namespace marlguide::ui::tour {

// Starts the tour at the saved step on `display`; a tour already running is replaced by it.
// An empty or unreadable tour file changes nothing.
void start_tour(const Glib::RefPtr<Gdk::Display>& display);

// Starts the tour from its first step: the progress is reset in the state file (not completed,
// step 0) before the tour starts. Used by `--onboard` and by "Replay the tour".
void restart_tour(const Glib::RefPtr<Gdk::Display>& display);

// Hands a `--tour-event` value to the running tour; ignored when none runs.
void tour_event(std::string_view name);

// Puts back a key binding that a tour step replaced and that is still recorded in the state
// file, and forgets the record. The file is only written when there was a record.
void restore_pending_rebind();
// The same on a state file the caller has loaded (and goes on using).
void restore_pending_rebind(config::StateFile& state);

// For the application's shutdown: puts back a replaced binding and takes a running tour off
// the screen, leaving its saved progress as it is.
void shutdown_tour();

}  // namespace marlguide::ui::tour

#pragma once

#include <giomm/filemonitor.h>

#include <functional>

#include "marl-theme/provider_slot.hpp"

namespace marl::theme {

// The theme's own provider slot (the application's stylesheet has another).
ProviderSlot& theme_slot();

// Puts the theme on the default display: the runtime stylesheet exactly as read when it can be
// read, else the stylesheet generated from pywal's colours. Problems GTK finds in a runtime
// stylesheet are reported in one line; the rest of it is applied.
void apply_theme();

// Watches the runtime stylesheet's directory (creating it first) and runs `on_change` whenever
// an event concerns the stylesheet itself, including a file renamed onto its name. None when
// the directory cannot be watched.
Glib::RefPtr<Gio::FileMonitor> watch_runtime_stylesheet(std::function<void()> on_change);

// Applies the theme and, once per thread, installs the live-reload monitor. A later call
// re-applies and leaves the one monitor and the one provider in place.
void apply_and_watch_theme();

// The installed live-reload monitor, or null.
Glib::RefPtr<Gio::FileMonitor> theme_monitor();

}  // namespace marl::theme

#pragma once

#include <gtkmm/application.h>

#include <chrono>
#include <functional>

namespace marlguide::testing {

// The registered application of an in-process GTK test executable.
Glib::RefPtr<Gtk::Application>& test_application();

// Runs every pending main-loop event.
void drain_main_loop();

// Runs the main loop until `done` holds or the time is up; returns `done`'s last answer.
bool loop_until(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace marlguide::testing

#pragma once

#include <gtkmm/application.h>

namespace marlguide::testing {

// The registered application of an in-process GTK test executable.
Glib::RefPtr<Gtk::Application>& test_application();

// Runs every pending main-loop event.
void drain_main_loop();

}  // namespace marlguide::testing

#pragma once

// Running shell commands for the user. Every command is one line of shell text handed to
// `sh -c` unchanged, with the program's standard streams, working directory and environment.
// Nothing here waits for a command on the calling thread.

#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace Gtk {
class Label;
}

namespace marlguide::services {

// Starts the command and forgets it. A shell that cannot be started is reported as
// "failed to run `<command>`: <error>". The child is reaped when it ends.
void launch_detached(std::string_view command);

// Sets the label to "Running…" at once, then to "Done." or "Something went wrong — see the
// terminal for details." when the command ends. Returns at once; the label is kept alive
// until its outcome has been shown. Several runs may share a label: each shows its own
// outcome when it ends.
void run_with_status(std::string_view command, Gtk::Label& label);

// As run_with_status, with the texts "<name>…", "<name>: done." and
// "<name>: something went wrong.".
void run_named_with_status(std::string_view name, std::string_view command, Gtk::Label& label);

// Starts `argv` (the program looked up on PATH) with all three standard streams inherited
// and without waiting for it; the child is reaped when it ends. The error is the system's
// text for why it could not be started.
std::expected<void, std::string> start_inherited(const std::vector<std::string>& argv);

}  // namespace marlguide::services

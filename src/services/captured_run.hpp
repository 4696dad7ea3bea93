#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace marlguide::services {

// What a captured run produced.
struct CommandOutput {
  std::string stdout;  // bytes of the child's standard output (empty if nothing was read)
  std::string stderr;  // bytes of its standard error
  // True only when the child ended by itself within the limit with a wait status of 0.
  bool success = false;
};

// Runs `program` (looked up on PATH) with `args`, each passed as one argument, under the
// C locale and with standard input from the null device, capturing both output streams.
// Blocks the calling thread until the child ends; a child still running at `limit` is killed.
// Reading stops at the limit as well, so a descendant that keeps a pipe open cannot hold the
// caller longer. Nothing is reported: a failure to start is an unsuccessful, empty result.
CommandOutput run_captured(std::string_view program, const std::vector<std::string>& args,
                           std::chrono::milliseconds limit);

}  // namespace marlguide::services

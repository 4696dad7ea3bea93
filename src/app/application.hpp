#pragma once

namespace marlguide::app {

inline constexpr const char* kApplicationId = "com.marlworks.marlguide";

// Runs the help centre with the process arguments (passed on as the bytes received).
// The first process becomes the primary instance; later ones forward their command line to it.
// Returns the process exit status.
int run_application(int argc, char** argv);

}  // namespace marlguide::app

#pragma once

#include <cstdint>

namespace marlguide::config {

// How large and how simple the help centre looks. The numbers are also the positions of the
// Home page's mode drop-down.
enum class DisplayMode : std::uint8_t { Normal = 0, Beginner = 1, Dad = 2, Compact = 3 };

}  // namespace marlguide::config

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace marlguide::app {

// The parsed command line. Parsing never fails: unknown or malformed arguments are ignored.
struct Options {
  std::uint32_t width = 1920;
  std::uint32_t height = 1080;
  std::optional<std::string> output;
  std::optional<std::string> screenshot;
  bool onboard = false;
  std::optional<std::string> suggest;
  bool autostart = false;
  std::optional<std::string> tour_event;

  bool operator==(const Options&) const = default;
};

struct ScreenshotRequest {
  std::string view;
  std::string output;
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  bool operator==(const ScreenshotRequest&) const = default;
};

// Reads the arguments (the first is the program name and is skipped) as raw bytes.
Options parse_options(std::span<const std::string_view> args);

// True when one argument is exactly "--screenshot": such a run works in its own process.
bool wants_own_process(std::span<const std::string_view> args);

// The screenshot request the options ask for, without side effects.
enum class ScreenshotCheck { None, Ready, MissingOutput };
ScreenshotCheck check_screenshot(const Options& options);

// The screenshot request, if any. A screenshot without an output path is a usage error: the
// message is printed and the process ends with status 1.
std::optional<ScreenshotRequest> screenshot_request(const Options& options);

}  // namespace marlguide::app

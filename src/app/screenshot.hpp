#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "app/options.hpp"
#include "ui/window.hpp"

namespace marlguide::app {

// The views a screenshot run can show, in the order the error message lists them.
inline constexpr std::array<std::string_view, 4> kScreenshotViews{"home", "learn", "ask",
                                                                  "troubleshoot-wizard"};

// The geometry text grim takes: "x,y wxh".
std::string capture_geometry(std::int32_t x, std::int32_t y, std::uint32_t width,
                             std::uint32_t height);

// Saves the screen rectangle to a PNG at `output` with grim, creating the output's folder.
// The error text is what the user is shown after "screenshot capture failed: ".
std::expected<void, std::string> capture_region(std::int32_t x, std::int32_t y, std::uint32_t width,
                                                std::uint32_t height, const std::string& output);

// Shows the requested view and captures the screen once the window is on it; the process
// ends after the capture (status 0, or 1 with a message). An unknown view ends it at once.
void start_screenshot(const ui::MainWindow& main, const ScreenshotRequest& request);

}  // namespace marlguide::app

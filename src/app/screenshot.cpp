#include "app/screenshot.hpp"

#include <gdkmm/frameclock.h>
#include <glibmm/main.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <format>
#include <functional>
#include <memory>
#include <system_error>

#include "services/captured_run.hpp"
#include "ui/troubleshoot_wizard.hpp"
#include "util/message.hpp"

namespace marlguide::app {
namespace {

using namespace std::chrono_literals;

// Time for the compositor to show the window's first frames before the capture.
constexpr unsigned kSettleMs = 300;

std::string_view trim(std::string_view s) {
  constexpr std::string_view ws = " \t\n\r\f\v";
  const auto first = s.find_first_not_of(ws);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(ws) - first + 1);
}

// grim's error output is shown to the user; bytes that are not UTF-8 become U+FFFD.
std::string printable(std::string_view bytes) {
  gchar* valid = g_utf8_make_valid(bytes.data(), std::ssize(bytes));
  std::string text(valid);
  g_free(valid);
  return text;
}

[[noreturn]] void finish(const std::expected<void, std::string>& captured) {
  // The run ends here and now: the application's shutdown handling is not wanted after a
  // capture.
  if (!captured) {
    report("screenshot capture failed: {}", captured.error());
    std::exit(1);
  }
  std::exit(0);
}

void capture_after_settling(const std::string& output, std::uint32_t width, std::uint32_t height) {
  Glib::signal_timeout().connect_once(
      [output, width, height] { finish(capture_region(0, 0, width, height, output)); }, kSettleMs);
}

// "map" comes before the window's first frame: with a cold shader or font cache that frame
// can take a second or more, and a capture 300 ms after "map" would save a black screen. So
// the settling delay starts once the window has painted.
void after_first_paint(Gtk::Window& window, std::function<void()> then) {
  auto clock = window.get_frame_clock();
  if (!clock) {
    then();
    return;
  }
  auto connection = std::make_shared<sigc::connection>();
  // Connected after the surface's own paint handler, which renders and commits the frame.
  *connection = clock->signal_paint().connect(
      [connection, then = std::move(then)] {
        connection->disconnect();
        then();
      },
      /*after=*/true);
}

std::string known_views() {
  std::string list;
  for (auto name : kScreenshotViews) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

}  // namespace

std::string capture_geometry(std::int32_t x, std::int32_t y, std::uint32_t width,
                             std::uint32_t height) {
  return std::format("{},{} {}x{}", x, y, width, height);
}

std::expected<void, std::string> capture_region(std::int32_t x, std::int32_t y, std::uint32_t width,
                                                std::uint32_t height, const std::string& output) {
  const std::filesystem::path parent = std::filesystem::path(output).parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) return std::unexpected(std::format("creating {}", parent.string()));
  }
  const std::string geometry = capture_geometry(x, y, width, height);
  const auto run = services::run_captured("grim", {"-g", geometry, output}, 5000ms);
  if (run.success) return {};
  return std::unexpected(
      std::format("grim failed for geometry {}: {}", geometry, trim(printable(run.stderr))));
}

void start_screenshot(const ui::MainWindow& main, const ScreenshotRequest& request) {
  const std::string_view view = request.view;
  const bool page = view == "home" || view == "learn" || view == "ask";
  if (!page && view != "troubleshoot-wizard") {
    report("unknown screenshot view '{}' (known: {})", view, known_views());
    std::exit(1);
  }
  const std::string output = request.output;
  const std::uint32_t width = request.width, height = request.height;
  Gtk::Window* window = main.window;
  if (page) {
    main.stack->set_visible_child(request.view);
    window->signal_map().connect([window, output, width, height] {
      after_first_paint(*window,
                        [output, width, height] { capture_after_settling(output, width, height); });
    });
  } else {
    // The wizard opens over the main window once that is on screen, and the capture waits
    // for the wizard in turn.
    window->signal_map().connect([window, output, width, height] {
      after_first_paint(*window, [window, output, width, height] {
        Glib::signal_timeout().connect_once(
            [window, output, width, height] {
              Gtk::Window* wizard = ui::build_wizard_window(*window);
              wizard->signal_map().connect([wizard, output, width, height] {
                after_first_paint(*wizard, [output, width, height] {
                  capture_after_settling(output, width, height);
                });
              });
              wizard->present();
            },
            kSettleMs);
      });
    });
  }
  window->present();
}

}  // namespace marlguide::app

#include "app/application.hpp"

#include <gtkmm/application.h>

#include <optional>
#include <string_view>
#include <vector>

#include "app/options.hpp"
#include "app/screenshot.hpp"
#include "config/state.hpp"
#include "ui/tour/tour.hpp"
#include "ui/window.hpp"

namespace marlguide::app {
namespace {

struct Suggestion {
  std::string_view name;
  std::string_view text;
};

constexpr Suggestion kSuggestions[] = {
    {"monitor-setup", "New monitor detected — want to set up your display layout?"},
};

// The main window of this process, built by the first command line and reused by every later
// one. Only the command-line handler on the main thread touches it.
struct MainWindowSlot {
  std::optional<ui::MainWindow> main;
};

MainWindowSlot& main_window_slot() {
  thread_local MainWindowSlot slot;
  return slot;
}

void show_suggestion(const ui::MainWindow& main, std::string_view name) {
  for (const auto& s : kSuggestions) {
    if (s.name != name) continue;
    main.suggestion_label->set_text(std::string(s.text));
    main.suggestion_revealer->set_reveal_child(true);
    return;
  }
}

int handle_command_line(const Glib::RefPtr<Gtk::Application>& app,
                        const Glib::RefPtr<Gio::ApplicationCommandLine>& command_line) {
  int argc = 0;
  char** argv = command_line->get_arguments(argc);
  std::vector<std::string_view> args(argv, argv + argc);
  const Options options = parse_options(args);
  g_strfreev(argv);

  auto& slot = main_window_slot();
  bool created = false;
  if (!slot.main) {
    slot.main = ui::build_main_window(
        app, options.screenshot ? ui::LeftoverRebind::Keep : ui::LeftoverRebind::Restore);
    created = true;
    // The window is destroyed when the user closes it. Should anything else keep the
    // application running (a tour overlay, say), the next command line builds a new one
    // instead of touching a dead window.
    slot.main->window->signal_destroy().connect([] { main_window_slot().main.reset(); });
  }
  const ui::MainWindow main = *slot.main;
  const Glib::RefPtr<Gdk::Display> display = main.window->get_display();

  if (auto request = screenshot_request(options)) {
    start_screenshot(main, *request);
  } else if (options.onboard) {
    ui::tour::restart_tour(display);
  } else if (options.tour_event) {
    ui::tour::tour_event(*options.tour_event);
  } else if (options.suggest) {
    show_suggestion(main, *options.suggest);
    if (created) main.window->present();
  } else if (options.autostart) {
    if (!config::onboarding_completed(config::load_state())) ui::tour::start_tour(display);
  } else {
    main.window->present();
  }
  return 0;
}

}  // namespace

int run_application(int argc, char** argv) {
  const std::vector<std::string_view> args(argv, argv + argc);
  auto flags = Gio::Application::Flags::HANDLES_COMMAND_LINE;
  if (wants_own_process(args)) flags |= Gio::Application::Flags::NON_UNIQUE;

  auto app = Gtk::Application::create(kApplicationId, flags);
  // The handler holds the application by a plain pointer: a strong reference stored in the
  // application's own signal would keep it alive forever.
  Gtk::Application* raw = app.get();
  app->signal_command_line().connect(
      [raw](const Glib::RefPtr<Gio::ApplicationCommandLine>& command_line) {
        raw->reference();
        return handle_command_line(Glib::make_refptr_for_instance(raw), command_line);
      },
      false);
  // A key binding a tour step replaced goes back before the process ends.
  app->signal_shutdown().connect([] { ui::tour::shutdown_tour(); });
  app->run(argc, argv);
  return 0;
}

}  // namespace marlguide::app

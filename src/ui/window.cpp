#include "ui/window.hpp"

#include <gtkmm/box.h>
#include <gtkmm/stackswitcher.h>

#include <memory>
#include <vector>

#include "config/state.hpp"
#include "content/guides.hpp"
#include "content/keybinds.hpp"
#include "marl-theme/message.hpp"
#include "marl-theme/provider_slot.hpp"
#include "marl-theme/theme.hpp"
#include "ui/ask_view.hpp"
#include "ui/home_view.hpp"
#include "ui/learn_view.hpp"
#include "ui/modes.hpp"
#include "ui/tour/tour.hpp"
#include "util/message.hpp"

namespace marlguide::ui {
namespace {

constexpr std::string_view kStylesheet = R"css(.view-content { padding: 24px; }
.view-content > label.page-title { margin-bottom: 16px; }
label.keybind-chip { font-family: monospace; font-size: 11px; padding: 2px 6px; border-radius: 6px; background-color: alpha(@on-surface, 0.12); }
.beginner-mode label, .dad-mode label { font-size: 15px; }
.dad-mode label { font-size: 17px; }
.dad-mode button { min-height: 44px; padding: 10px 18px; }
.beginner-mode button { min-height: 36px; }
.compact-mode .view-content { padding: 12px; }
window.tour-window { background-color: transparent; }
.tour-mask { background-color: rgba(0, 0, 0, 0.65); }
.tour-callout { background-color: @surface; color: @on-surface; border-radius: 12px; padding: 16px 20px; }
.tour-callout label.page-title { font-weight: bold; font-size: 15px; }
.tour-confirmed { color: @green; font-weight: bold; }
.tour-hint-row { margin-top: 8px; }
window.wizard-dialog { background-color: @bg; color: @on-bg; border-radius: 10px; }
window.wizard-dialog headerbar { background-color: @bg; color: @on-bg; border-top-left-radius: 10px; border-top-right-radius: 10px; border-bottom: 1px solid alpha(@on-bg, 0.08); box-shadow: none; }
)css";

// The application's own provider, separate from the theme's; lives as long as the GTK thread.
marl::theme::ProviderSlot& application_slot() {
  thread_local marl::theme::ProviderSlot slot;
  return slot;
}

}  // namespace

std::string_view application_stylesheet() { return kStylesheet; }

MainWindow build_main_window(const Glib::RefPtr<Gtk::Application>& app, LeftoverRebind leftover) {
  // A tour that was cut short may have left one of the user's keys rebound. The state file is
  // read once here for this and for the display mode.
  config::StateFile state = config::load_state();
  if (leftover == LeftoverRebind::Restore) tour::restore_pending_rebind(state);

  // The window belongs to the application (GtkApplication keeps a reference for each of its
  // windows); closing it destroys it, which ends the run when it is the last one. Managed, so
  // gtkmm deletes the wrapper when GTK destroys the window.
  auto* window = Gtk::make_managed<Gtk::ApplicationWindow>(app);
  window->set_title("MOS Help");
  window->set_default_size(880, 600);

  // The theme defines the palette's colour names, which the application stylesheet uses.
  marl::theme::set_message_handler([](std::string_view text) { report(text); });
  marl::theme::apply_and_watch_theme();
  marl::theme::load_stylesheet(kStylesheet, application_slot());
  if (const auto& errors = application_slot().last_errors(); !errors.empty())
    report("GTK could not read {} part(s) of the application stylesheet (the first at {})",
           errors.size(), errors.front());

  // Read once per window; the views that keep them for searching share these holders.
  const auto guides = std::make_shared<const std::vector<content::Guide>>(content::load_guides());
  const auto keybinds =
      std::make_shared<const std::vector<content::Keybind>>(content::load_keybinds());

  const DisplayMode mode = config::mode(state);
  apply_display_mode(*window, mode);

  auto* stack = Gtk::make_managed<Gtk::Stack>();
  stack->set_hexpand(true);
  stack->set_vexpand(true);
  stack->set_transition_type(Gtk::StackTransitionType::SLIDE_LEFT_RIGHT);

  HomeView home = build_home_view(*keybinds, *window, mode);
  stack->add(*home.root, "home", "Home");
  stack->add(*learn_view(*guides, *keybinds, mode), "learn", "Learn");
  stack->add(*ask_view(guides, keybinds, mode), "ask", "Ask");
  stack->set_visible_child("home");

  auto* switcher = Gtk::make_managed<Gtk::StackSwitcher>();
  switcher->set_stack(*stack);
  switcher->set_halign(Gtk::Align::CENTER);
  switcher->set_margin_top(8);
  switcher->set_margin_bottom(8);

  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 0);
  box->append(*switcher);
  box->append(*stack);
  window->set_child(*box);

  return MainWindow{window, home.root, home.suggestion_revealer, home.suggestion_label, stack};
}

}  // namespace marlguide::ui

#include "ui/tour/overlay.hpp"

#include <gtk4-layer-shell.h>
#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/shortcutcontroller.h>

#include "content/markdown.hpp"
#include "services/hyprland.hpp"
#include "ui/markdown.hpp"
#include "ui/tour/layout.hpp"

namespace marlguide::ui::tour {
namespace {

using Actions = std::shared_ptr<const TourActions>;

// A click may close the window it happened in; the action runs on the next turn of the loop,
// ahead of any further input, once GTK is done with the click.
void defer(const Actions& actions, std::function<void()> TourActions::* which) {
  Glib::signal_idle().connect_once(
      [actions, which] {
        if (const auto& action = (*actions).*which) action();
      },
      Glib::PRIORITY_HIGH);
}

enum class Keyboard { None, OnDemand };

// A borderless window on the overlay layer of `monitor`. Nothing else in the program places a
// window through layer-shell.
std::unique_ptr<Gtk::Window> layer_window(const Glib::RefPtr<Gdk::Monitor>& monitor,
                                          Keyboard keyboard) {
  auto window = std::make_unique<Gtk::Window>();
  window->set_decorated(false);
  window->add_css_class("tour-window");
  GtkWindow* w = window->gobj();
  gtk_layer_init_for_window(w);
  gtk_layer_set_layer(w, GTK_LAYER_SHELL_LAYER_OVERLAY);
  gtk_layer_set_keyboard_mode(w, keyboard == Keyboard::OnDemand
                                     ? GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND
                                     : GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
  gtk_layer_set_monitor(w, monitor->gobj());
  return window;
}

void anchor(Gtk::Window& window, std::initializer_list<GtkLayerShellEdge> edges) {
  for (auto edge : edges) gtk_layer_set_anchor(window.gobj(), edge, TRUE);
}

std::unique_ptr<Gtk::Window> mask_window(const Glib::RefPtr<Gdk::Monitor>& monitor) {
  auto window = layer_window(monitor, Keyboard::None);
  auto* dim = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 0);
  dim->add_css_class("tour-mask");
  dim->set_hexpand(true);
  dim->set_vexpand(true);
  window->set_child(*dim);
  return window;
}

std::unique_ptr<Gtk::Window> full_mask(const Glib::RefPtr<Gdk::Monitor>& monitor) {
  auto window = mask_window(monitor);
  anchor(*window, {GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_BOTTOM, GTK_LAYER_SHELL_EDGE_LEFT,
                   GTK_LAYER_SHELL_EDGE_RIGHT});
  return window;
}

std::unique_ptr<Gtk::Window> strip_window(const Glib::RefPtr<Gdk::Monitor>& monitor,
                                          const Strip& strip) {
  auto window = mask_window(monitor);
  switch (strip.side) {
    case Strip::Side::Top:
      anchor(*window,
             {GTK_LAYER_SHELL_EDGE_TOP, GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT});
      break;
    case Strip::Side::Bottom:
      anchor(*window,
             {GTK_LAYER_SHELL_EDGE_BOTTOM, GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_RIGHT});
      break;
    case Strip::Side::Left:
      anchor(*window, {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_TOP});
      gtk_layer_set_margin(window->gobj(), GTK_LAYER_SHELL_EDGE_TOP, strip.top_margin);
      break;
    case Strip::Side::Right:
      anchor(*window, {GTK_LAYER_SHELL_EDGE_RIGHT, GTK_LAYER_SHELL_EDGE_TOP});
      gtk_layer_set_margin(window->gobj(), GTK_LAYER_SHELL_EDGE_TOP, strip.top_margin);
      break;
  }
  window->set_default_size(strip.width, strip.height);
  return window;
}

Gtk::Label* label(const Glib::ustring& text, const char* css_class) {
  auto* l = Gtk::make_managed<Gtk::Label>(text);
  if (css_class) l->add_css_class(css_class);
  l->set_halign(Gtk::Align::START);
  return l;
}

Gtk::Button* button(const Glib::ustring& text, const Actions& actions,
                    std::function<void()> TourActions::* which) {
  auto* b = Gtk::make_managed<Gtk::Button>(text);
  b->signal_clicked().connect([actions, which] { defer(actions, which); });
  return b;
}

void build_callout(StepOverlay& overlay, const Glib::RefPtr<Gdk::Monitor>& monitor,
                   const RenderRequest& request, const CalloutPlan& plan, const Actions& actions) {
  auto window = layer_window(monitor, Keyboard::OnDemand);
  if (plan.margins) {
    anchor(*window, {GTK_LAYER_SHELL_EDGE_LEFT, GTK_LAYER_SHELL_EDGE_TOP});
    gtk_layer_set_margin(window->gobj(), GTK_LAYER_SHELL_EDGE_LEFT, plan.margins->left);
    gtk_layer_set_margin(window->gobj(), GTK_LAYER_SHELL_EDGE_TOP, plan.margins->top);
  }

  auto* card = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 12);
  card->add_css_class("tour-callout");
  card->set_size_request(kCalloutWidth, -1);

  auto* title = label(request.step.title, "page-title");
  title->set_wrap(true);
  card->append(*title);
  card->append(*render_blocks(content::parse_blocks(request.step.body), request.binds));
  if (plan.confirmed_line) card->append(*label(kConfirmedText, "tour-confirmed"));
  if (plan.hint_row) {
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
    row->add_css_class("tour-hint-row");
    auto* still = label("Still there?", "dim-label");
    still->set_hexpand(true);
    row->append(*still);
    overlay.show_me = button("Show me", actions, &TourActions::show_me);
    row->append(*overlay.show_me);
    card->append(*row);
  }
  card->append(*label(plan.counter, "dim-label"));

  auto* buttons = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
  overlay.skip = button("Skip tour", actions, &TourActions::skip);
  overlay.skip->add_css_class("flat");
  buttons->append(*overlay.skip);
  auto* spacer = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 0);
  spacer->set_hexpand(true);
  buttons->append(*spacer);
  overlay.back = button("Back", actions, &TourActions::back);
  overlay.back->set_sensitive(plan.back_sensitive);
  buttons->append(*overlay.back);
  overlay.next = button(plan.main_label, actions, &TourActions::next);
  overlay.next->add_css_class("suggested-action");
  buttons->append(*overlay.next);
  card->append(*buttons);
  window->set_child(*card);
  // Left to itself the window would take the natural width of the longest line of text; the
  // card's placement counts on it being this wide, with the text wrapped to it.
  int min_height = 0, height = 0, min_baseline = 0, baseline = 0;
  card->measure(Gtk::Orientation::VERTICAL, kCalloutWidth, min_height, height, min_baseline,
                baseline);
  window->set_default_size(kCalloutWidth, height);

  // Escape leaves the tour from the keyboard, as "Skip tour" does with the pointer.
  auto keys = Gtk::ShortcutController::create();
  keys->add_shortcut(Gtk::Shortcut::create(
      Gtk::KeyvalTrigger::create(GDK_KEY_Escape),
      Gtk::CallbackAction::create([actions](Gtk::Widget&, const Glib::VariantBase&) {
        defer(actions, &TourActions::skip);
        return true;
      })));
  window->add_controller(keys);
  overlay.callout = std::move(window);
}

}  // namespace

OverlayWindows::OverlayWindows(Glib::RefPtr<Gdk::Display> display, TourActions actions)
    : display_(std::move(display)),
      actions_(std::make_shared<const TourActions>(std::move(actions))) {}

OverlayWindows::~OverlayWindows() { close(); }

void OverlayWindows::render(const RenderRequest& request) {
  Glib::RefPtr<Gdk::Monitor> monitor;
  std::optional<Rect> target;
  if (!request.centred_only) {
    if (auto placement = services::target_placement(step_target(request.step), display_)) {
      monitor = placement->monitor;
      target = Rect{placement->x, placement->y, placement->w, placement->h};
    }
  }
  if (!monitor) monitor = services::focused_monitor(display_);
  // Nowhere to draw: whatever is on screen stays until a later rendering finds a place.
  if (!monitor) return;

  Gdk::Rectangle area;
  monitor->get_geometry(area);
  const auto plan = plan_overlay(request, target, {area.get_width(), area.get_height()});
  if (!plan) {
    close();
    return;
  }

  StepOverlay next;
  if (plan->full_mask) next.masks.push_back(full_mask(monitor));
  for (const auto& strip : plan->strips) next.masks.push_back(strip_window(monitor, strip));
  for (auto& mask : next.masks) mask->present();
  build_callout(next, monitor, request, plan->callout, actions_);
  next.callout->present();
  if (plan->callout.focus_main) next.next->grab_focus();

  // The new picture is up before the old one goes, so the screen never flashes undimmed.
  close();
  shown_ = std::move(next);
}

void OverlayWindows::close() {
  // Destroying a window takes it off the screen, as closing it would.
  shown_.reset();
}

}  // namespace marlguide::ui::tour

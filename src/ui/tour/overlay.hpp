#pragma once

// The tour's windows on the compositor's overlay layer: dimming masks that leave the step's
// target uncovered and the callout card beside it. This is the only place that talks to
// gtk4-layer-shell.

#include <gdkmm/display.h>
#include <gtkmm/button.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/tour/engine.hpp"

namespace marlguide::ui::tour {

// What the callout's buttons do. They are called from the main loop after the click has been
// handled, never from inside it, so they may close the very window that was clicked.
struct TourActions {
  std::function<void()> back, next, skip, show_me;
};

// The windows of one rendering and the buttons the tests and the keyboard reach.
struct StepOverlay {
  std::vector<std::unique_ptr<Gtk::Window>> masks;
  std::unique_ptr<Gtk::Window> callout;
  Gtk::Button* back = nullptr;
  Gtk::Button* next = nullptr;
  Gtk::Button* skip = nullptr;
  Gtk::Button* show_me = nullptr;
};

class OverlayWindows final : public Overlay {
 public:
  OverlayWindows(Glib::RefPtr<Gdk::Display> display, TourActions actions);
  ~OverlayWindows() override;

  void render(const RenderRequest& request) override;
  void close() override;
  bool showing() const override { return shown_.has_value(); }

  // What is on screen now, if anything.
  const StepOverlay* shown() const { return shown_ ? &*shown_ : nullptr; }

 private:
  Glib::RefPtr<Gdk::Display> display_;
  std::shared_ptr<const TourActions> actions_;
  std::optional<StepOverlay> shown_;
};

}  // namespace marlguide::ui::tour

#pragma once

// The onboarding tour's step logic. The engine decides which step is current, reacts to the
// callout's buttons, to its timers and to events from the command line, and keeps the user's
// key binding safe while a step has replaced it. Everything it touches outside itself goes
// through the seams below, so the whole state table runs in a unit test without a display.
// One engine serves the GTK main thread; none of its operations may be called from a seam's
// callback while that seam is still running (the GTK side defers button clicks to the loop).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/keybinds.hpp"
#include "content/tour.hpp"
#include "services/hyprland_json.hpp"

namespace marlguide::ui::tour {

// One-shot timers on the main loop. An id is never 0; a timer that has fired is gone, and an
// id is cancelled at most once, before it fires.
class Timers {
 public:
  virtual ~Timers() = default;
  virtual unsigned after_milliseconds(std::chrono::milliseconds delay,
                                      std::function<void()> fire) = 0;
  virtual unsigned after_seconds(std::uint32_t seconds, std::function<void()> fire) = 0;
  virtual void cancel(unsigned id) = 0;
};

// What the overlay needs to draw one step.
struct RenderRequest {
  const content::Step& step;
  std::size_t index = 0;
  std::size_t count = 0;
  const std::vector<content::Keybind>& binds;
  bool last = false;          // the main button reads "Finish"
  bool centred_only = false;  // centred over a full mask, whatever the target
  bool confirmed = false;     // the step's event arrived
  bool hint_due = false;      // the hint timer fired
};

// The windows of one step on screen. Each engine start gets its own, bound to the display the
// tour runs on.
class Overlay {
 public:
  virtual ~Overlay() = default;
  // Replaces what is on screen with the step (or with nothing, when there is nowhere to show
  // it).
  virtual void render(const RenderRequest& request) = 0;
  // Takes everything off the screen.
  virtual void close() = 0;
  // Whether anything is on screen.
  virtual bool showing() const = 0;
};

// The compositor and the programs the tour starts.
class Compositor {
 public:
  virtual ~Compositor() = default;
  virtual bool target_present(const services::StepTarget& target) = 0;
  virtual void keyword_bind(std::string_view binding) = 0;
  virtual void launch_detached(std::string_view command) = 0;
};

// The persisted progress: each call reads or writes the state file afresh.
class StateStore {
 public:
  struct Pending {
    std::string key;
    std::string original;
  };
  virtual ~StateStore() = default;
  virtual std::int64_t onboarding_step() = 0;
  virtual void set_onboarding_step(std::uint64_t index) = 0;
  virtual void set_onboarding_completed(bool completed) = 0;
  virtual std::optional<Pending> pending_rebind() = 0;
  // Whether the record is in the file afterwards: a binding may only be replaced while a way
  // back to it is stored.
  virtual bool set_pending_rebind(std::string_view key, std::string_view original) = 0;
  virtual void clear_pending_rebind() = 0;
};

// The tour's content, loaded afresh at every start.
class Content {
 public:
  virtual ~Content() = default;
  virtual std::vector<content::Step> load_tour() = 0;
  virtual std::vector<content::Keybind> load_keybinds() = 0;
};

// What a step points at: a layer surface by namespace before a window by class.
services::StepTarget step_target(const content::Step& step);

// Puts back the user's binding that a step replaced, if one is recorded, and then forgets the
// record. With nothing recorded the state file is left untouched: rewriting it on every start
// would replace a damaged or unreadable file the user may still want, and push the previous
// version out of its backup.
void put_back_pending_rebind(StateStore& state, Compositor& compositor);

class TourEngine {
 public:
  struct Seams {
    Timers& timers;
    Compositor& compositor;
    StateStore& state;
    Content& content;
  };
  // How long the target poll waits between looks, and when the hint offers "Show me".
  static constexpr std::chrono::milliseconds kPollInterval{400};
  static constexpr std::uint32_t kHintSeconds = 10;

  explicit TourEngine(Seams seams);
  ~TourEngine();
  TourEngine(const TourEngine&) = delete;
  TourEngine& operator=(const TourEngine&) = delete;

  // Starts the tour at the saved step, on `overlay`, replacing a tour already running. An
  // empty tour changes nothing (and `overlay` is dropped).
  void start(std::unique_ptr<Overlay> overlay);
  // A `--tour-event` value: confirms the current step when it is the step's event.
  void event(std::string_view name);
  // Puts back a binding a step replaced, if one is recorded.
  void restore_pending_rebind();

  // The callout's buttons. Without a running tour they do nothing.
  void previous_step();  // "Back"
  void next_step();      // "Next" / "Finish"
  void skip();           // "Skip tour"
  void show_me();        // "Show me"

  // Takes the tour off the screen and stops its timers without recording anything, for a
  // process that is going away.
  void discard();

  bool active() const { return state_.has_value(); }
  // The current step's index; only meaningful while active.
  std::size_t index() const;
  bool confirmed() const;
  bool hint_due() const;

 private:
  struct TourState {
    // Declared by hand: clang judges a nested struct with member initializers not
    // default-constructible while the enclosing class is still being defined.
    TourState() {}
    std::vector<content::Step> steps;
    std::vector<content::Keybind> binds;
    std::unique_ptr<Overlay> overlay;
    std::size_t index = 0;
    unsigned poll_source = 0, timeout_source = 0, hint_source = 0;
    bool confirmed = false;
    bool hint_due = false;
  };

  void enter_step(std::size_t i);
  void end_tour();
  void render(bool centred_only);
  void cancel_timers();
  void close_overlay();
  void arm_poll(std::size_t for_index);
  void poll_tick(std::size_t armed_for);
  void hint_fired(std::size_t armed_for);
  void timeout_fired(std::size_t armed_for);
  void install_rebind(const content::Step& step);
  void advance();

  Seams seams_;
  std::optional<TourState> state_;
};

}  // namespace marlguide::ui::tour

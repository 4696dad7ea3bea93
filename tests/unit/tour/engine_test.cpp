// The tour engine's state table, driven through its seams: fake timers the test fires by hand,
// an overlay that records what it was asked to draw, and an in-memory state file and
// compositor that write every change into one journal, so that the order of the effects (the
// record before the compositor, the restore before the next step) is visible.

#include "ui/tour/engine.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace marlguide::ui::tour {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

using Journal = std::vector<std::string>;

class FakeTimers final : public Timers {
 public:
  struct Timer {
    std::string what;  // "400ms" or "10s"
    std::function<void()> fire;
  };

  unsigned after_milliseconds(std::chrono::milliseconds delay,
                              std::function<void()> fire) override {
    return add(std::to_string(delay.count()) + "ms", std::move(fire));
  }
  unsigned after_seconds(std::uint32_t seconds, std::function<void()> fire) override {
    return add(std::to_string(seconds) + "s", std::move(fire));
  }
  void cancel(unsigned id) override {
    // Removing a source that already ran, or removing one twice, is a GLib error.
    if (!pending_.erase(id)) ADD_FAILURE() << "cancelled timer " << id << " is not pending";
  }

  // The pending timers' descriptions, oldest first.
  std::vector<std::string> pending() const {
    std::vector<std::string> out;
    for (const auto& [id, t] : pending_) out.push_back(t.what);
    return out;
  }
  // Fires the oldest pending timer with this description.
  void fire(const std::string& what) {
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      if (it->second.what != what) continue;
      auto fire = std::move(it->second.fire);
      pending_.erase(it);
      fire();
      return;
    }
    ADD_FAILURE() << "no pending " << what << " timer";
  }

 private:
  unsigned add(std::string what, std::function<void()> fire) {
    pending_.emplace(next_, Timer{std::move(what), std::move(fire)});
    return next_++;
  }
  std::map<unsigned, Timer> pending_;
  unsigned next_ = 1;
};

// What every fake overlay drew, shared with the test after the engine dropped the overlay.
struct Screen {
  struct Drawn {
    std::string step;
    std::size_t index, count;
    bool last, centred_only, confirmed, hint_due;
  };
  std::vector<Drawn> drawn;
  int overlays_showing = 0;  // across all overlays: never more than one
  int max_showing = 0;
  bool nowhere_to_draw = false;
  Journal* journal = nullptr;
};

class FakeOverlay final : public Overlay {
 public:
  explicit FakeOverlay(Screen& screen) : screen_(screen) {}
  ~FakeOverlay() override {
    if (showing_) --screen_.overlays_showing;
  }
  void render(const RenderRequest& r) override {
    screen_.drawn.push_back(
        {r.step.id, r.index, r.count, r.last, r.centred_only, r.confirmed, r.hint_due});
    screen_.journal->push_back("render " + r.step.id + (r.centred_only ? " centred" : ""));
    if (screen_.nowhere_to_draw) return;
    if (!showing_) ++screen_.overlays_showing;
    showing_ = true;
    screen_.max_showing = std::max(screen_.max_showing, screen_.overlays_showing);
  }
  void close() override {
    screen_.journal->push_back("close");
    if (showing_) --screen_.overlays_showing;
    showing_ = false;
  }
  bool showing() const override { return showing_; }

 private:
  Screen& screen_;
  bool showing_ = false;
};

class FakeCompositor final : public Compositor {
 public:
  explicit FakeCompositor(Journal& journal) : journal_(journal) {}
  bool target_present(const services::StepTarget& target) override {
    return target.kind == services::StepTarget::Kind::Nothing || present.contains(target.text);
  }
  void keyword_bind(std::string_view binding) override {
    journal_.push_back("bind " + std::string(binding));
  }
  void launch_detached(std::string_view command) override {
    journal_.push_back("launch " + std::string(command));
  }
  std::set<std::string> present;

 private:
  Journal& journal_;
};

class FakeState final : public StateStore {
 public:
  explicit FakeState(Journal& journal) : journal_(journal) {}
  std::int64_t onboarding_step() override { return step; }
  void set_onboarding_step(std::uint64_t index) override {
    journal_.push_back("step " + std::to_string(index));
    step = static_cast<std::int64_t>(index);
  }
  void set_onboarding_completed(bool value) override {
    journal_.push_back(value ? "completed" : "not completed");
    completed = value;
  }
  std::optional<Pending> pending_rebind() override { return pending; }
  bool set_pending_rebind(std::string_view key, std::string_view original) override {
    journal_.push_back("record " + std::string(key) + " " + std::string(original));
    if (read_only) return false;
    pending = Pending{std::string(key), std::string(original)};
    return true;
  }
  void clear_pending_rebind() override {
    journal_.push_back("clear");
    pending.reset();
  }

  std::int64_t step = 0;
  std::optional<bool> completed;
  std::optional<Pending> pending;
  bool read_only = false;

 private:
  Journal& journal_;
};

class FakeContent final : public Content {
 public:
  std::vector<content::Step> load_tour() override { return steps; }
  std::vector<content::Keybind> load_keybinds() override { return binds; }
  std::vector<content::Step> steps;
  std::vector<content::Keybind> binds;
};

content::Step step(std::string id) {
  content::Step s;
  s.id = std::move(id);
  s.title = "Title of " + s.id;
  s.body = "Body.";
  return s;
}

content::Keybind exec_bind(std::string combo, std::string command) {
  return {std::move(combo), "", "", std::nullopt, "exec," + std::move(command)};
}

class TourEngineTest : public ::testing::Test {
 protected:
  TourEngineTest() { screen.journal = &journal; }

  void start() { engine.start(std::make_unique<FakeOverlay>(screen)); }
  // The steps a..e, none with a target or an event.
  void five_plain_steps() {
    for (const char* id : {"a", "b", "c", "d", "e"}) content.steps.push_back(step(id));
  }
  const Screen::Drawn& last_drawn() { return screen.drawn.back(); }

  Journal journal;
  Screen screen;
  FakeTimers timers;
  FakeCompositor compositor{journal};
  FakeState state{journal};
  FakeContent content;
  TourEngine engine{{timers, compositor, state, content}};
};

TEST_F(TourEngineTest, StartsAtTheSavedStepClampedAsUnsigned) {
  five_plain_steps();
  struct Case {
    std::int64_t saved;
    std::size_t entered;
  };
  for (const auto [saved, entered] : {Case{0, 0}, Case{2, 2}, Case{4, 4}, Case{7, 4}, Case{-1, 4},
                                      Case{std::numeric_limits<std::int64_t>::min(), 4}}) {
    state.step = saved;
    start();
    ASSERT_TRUE(engine.active());
    EXPECT_EQ(engine.index(), entered) << "saved " << saved;
    EXPECT_EQ(state.step, static_cast<std::int64_t>(entered)) << "saved " << saved;
    EXPECT_EQ(last_drawn().index, entered);
    EXPECT_EQ(last_drawn().count, 5u);
    EXPECT_EQ(last_drawn().last, entered == 4);
  }
  EXPECT_EQ(screen.max_showing, 1) << "a restart replaces the overlay on screen";
  EXPECT_EQ(state.completed, std::nullopt);
}

TEST_F(TourEngineTest, AnEmptyTourChangesNothing) {
  start();
  EXPECT_FALSE(engine.active());
  EXPECT_THAT(journal, IsEmpty());
  EXPECT_THAT(timers.pending(), IsEmpty());

  // Nor does it stop a tour that is already running.
  content.steps = {step("a"), step("b")};
  start();
  engine.next_step();
  content.steps.clear();
  journal.clear();
  start();
  EXPECT_TRUE(engine.active());
  EXPECT_EQ(engine.index(), 1u);
  EXPECT_EQ(screen.overlays_showing, 1);
  EXPECT_THAT(journal, IsEmpty());
}

TEST_F(TourEngineTest, NextBackAndFinishMoveThroughTheSteps) {
  content.steps = {step("a"), step("b"), step("c")};
  start();
  engine.previous_step();
  EXPECT_EQ(engine.index(), 0u) << "no step before the first";
  engine.next_step();
  engine.next_step();
  EXPECT_EQ(engine.index(), 2u);
  EXPECT_TRUE(last_drawn().last);
  engine.previous_step();
  EXPECT_EQ(engine.index(), 1u);
  EXPECT_FALSE(last_drawn().last);
  engine.next_step();
  journal.clear();
  engine.next_step();  // "Finish"
  EXPECT_FALSE(engine.active());
  EXPECT_THAT(journal, ElementsAre("close", "completed"));
  EXPECT_EQ(state.step, 2) << "finishing leaves the saved step alone";
  EXPECT_EQ(screen.overlays_showing, 0);

  // Without a tour the buttons do nothing.
  journal.clear();
  engine.next_step();
  engine.previous_step();
  engine.show_me();
  engine.skip();
  EXPECT_THAT(journal, IsEmpty());
}

TEST_F(TourEngineTest, SkipEndsTheTourFromAnyStep) {
  five_plain_steps();
  state.step = 2;
  start();
  engine.skip();
  EXPECT_FALSE(engine.active());
  EXPECT_EQ(state.completed, true);
  EXPECT_EQ(state.step, 2);
  EXPECT_EQ(screen.overlays_showing, 0);
}

TEST_F(TourEngineTest, AMissingTargetIsPolledUntilItAppears) {
  auto s = step("terminal");
  s.target_window_class = "kitty";
  content.steps = {s, step("next")};
  start();
  EXPECT_THAT(timers.pending(), ElementsAre("400ms")) << "no hint without a launch command";
  EXPECT_FALSE(last_drawn().centred_only);

  timers.fire("400ms");
  EXPECT_THAT(timers.pending(), ElementsAre("400ms")) << "still missing: armed again";
  EXPECT_EQ(screen.drawn.size(), 1u);

  compositor.present.insert("kitty");
  timers.fire("400ms");
  EXPECT_THAT(timers.pending(), IsEmpty());
  ASSERT_EQ(screen.drawn.size(), 2u);
  EXPECT_EQ(last_drawn().step, "terminal");
  EXPECT_FALSE(last_drawn().centred_only);

  // A present target needs no poll at all.
  engine.previous_step();
  EXPECT_THAT(timers.pending(), IsEmpty());
}

TEST_F(TourEngineTest, ANamespaceTargetTakesPrecedenceOverAWindowClass) {
  auto s = step("panel");
  s.target_namespace = "waybar";
  s.target_window_class = "kitty";
  EXPECT_EQ(step_target(s).kind, services::StepTarget::Kind::Namespace);
  EXPECT_EQ(step_target(s).text, "waybar");
  compositor.present.insert("kitty");
  content.steps = {s};
  start();
  EXPECT_THAT(timers.pending(), ElementsAre("400ms"));
  compositor.present.insert("waybar");
  timers.fire("400ms");
  EXPECT_THAT(timers.pending(), IsEmpty());
}

TEST_F(TourEngineTest, TheHintIsDueAfterTenSecondsOnlyWhileUnconfirmed) {
  auto s = step("terminal");
  s.target_window_class = "kitty";
  s.launch = "kitty --hold";
  content.steps = {s};
  start();
  EXPECT_THAT(timers.pending(), ElementsAre("400ms", "10s"));
  EXPECT_FALSE(last_drawn().hint_due);

  timers.fire("10s");
  EXPECT_TRUE(engine.hint_due());
  EXPECT_TRUE(last_drawn().hint_due);
  EXPECT_FALSE(last_drawn().centred_only);
  EXPECT_THAT(timers.pending(), ElementsAre("400ms")) << "the poll goes on";

  journal.clear();
  engine.show_me();
  EXPECT_THAT(journal, ElementsAre("launch kitty --hold"));
  EXPECT_EQ(engine.index(), 0u);
}

TEST_F(TourEngineTest, AConfirmedStepGetsNoHint) {
  auto s = step("terminal");
  s.target_window_class = "kitty";
  s.launch = "kitty";
  s.success_event = "terminal-opened";
  content.steps = {s};
  start();
  engine.event("terminal-opened");
  const auto renders = screen.drawn.size();
  timers.fire("10s");
  EXPECT_FALSE(engine.hint_due());
  EXPECT_EQ(screen.drawn.size(), renders);
}

TEST_F(TourEngineTest, TheSuccessTimeoutMovesOnOnlyForStepsWithoutAnEvent) {
  auto timed = step("timed");
  timed.success_timeout_seconds = 20;
  auto both = step("both");
  both.success_timeout_seconds = 20;
  both.success_event = "done";
  content.steps = {timed, both, timed};
  start();
  EXPECT_THAT(timers.pending(), ElementsAre("20s"));
  timers.fire("20s");
  EXPECT_EQ(engine.index(), 1u);
  EXPECT_THAT(timers.pending(), IsEmpty()) << "the event alone completes this step";

  engine.event("done");
  EXPECT_EQ(engine.index(), 1u) << "an event confirms, it never advances";
  engine.next_step();
  EXPECT_EQ(engine.index(), 2u);
  timers.fire("20s");
  EXPECT_FALSE(engine.active()) << "after the last step the timeout ends the tour";
  EXPECT_EQ(state.completed, true);
  EXPECT_EQ(state.step, 2);
}

TEST_F(TourEngineTest, ATimeoutPastTheTimersRangeWaitsAsLongAsItCan) {
  auto s = step("forever");
  s.success_timeout_seconds = std::uint64_t{1} << 32;
  content.steps = {s, step("b")};
  start();
  EXPECT_THAT(timers.pending(), ElementsAre("4294967295s"));
}

TEST_F(TourEngineTest, LeavingAStepCancelsItsRunningTimersOnly) {
  auto s = step("terminal");
  s.target_window_class = "kitty";
  s.launch = "kitty";
  auto timed = step("timed");
  timed.success_timeout_seconds = 5;
  content.steps = {s, timed};
  start();
  timers.fire("10s");  // the hint timer is gone; cancelling it now would be an error
  engine.next_step();
  EXPECT_THAT(timers.pending(), ElementsAre("5s"));
  engine.previous_step();
  EXPECT_THAT(timers.pending(), ElementsAre("400ms", "10s"));
  engine.skip();
  EXPECT_THAT(timers.pending(), IsEmpty());
}

TEST_F(TourEngineTest, TheEventConfirmsTheCurrentStepOnce) {
  auto s = step("launcher");
  s.success_event = "launcher-opened";
  content.steps = {step("first"), s, step("last")};
  engine.event("launcher-opened");
  EXPECT_FALSE(engine.active()) << "no tour: nothing";
  EXPECT_THAT(journal, IsEmpty());

  start();
  engine.event("launcher-opened");
  EXPECT_FALSE(engine.confirmed()) << "the event of another step";
  engine.next_step();
  engine.event("Launcher-opened");
  engine.event("launcher-opened ");
  EXPECT_FALSE(engine.confirmed()) << "names compare exactly";
  const auto renders = screen.drawn.size();
  engine.event("launcher-opened");
  EXPECT_TRUE(engine.confirmed());
  EXPECT_EQ(engine.index(), 1u);
  ASSERT_EQ(screen.drawn.size(), renders + 1);
  EXPECT_TRUE(last_drawn().confirmed);
  EXPECT_TRUE(last_drawn().centred_only);

  engine.event("launcher-opened");
  EXPECT_EQ(screen.drawn.size(), renders + 1) << "a repeated event changes nothing";
  EXPECT_EQ(screen.max_showing, 1);

  engine.next_step();
  EXPECT_FALSE(engine.confirmed()) << "a new step starts unconfirmed";
}

TEST_F(TourEngineTest, ARepeatedEventDrawsAgainWhenNothingIsOnScreen) {
  auto s = step("launcher");
  s.success_event = "launcher-opened";
  content.steps = {s};
  screen.nowhere_to_draw = true;
  start();
  engine.event("launcher-opened");
  const auto renders = screen.drawn.size();
  screen.nowhere_to_draw = false;
  engine.event("launcher-opened");
  EXPECT_EQ(screen.drawn.size(), renders + 1);
  EXPECT_EQ(screen.overlays_showing, 1);
}

class TemporaryRebindTest : public TourEngineTest {
 protected:
  void SetUp() override {
    content.binds = {exec_bind("super + 1", "ignored"), exec_bind("super + space", "fuzzel"),
                     content::Keybind{"super + 2", "", "", std::nullopt, std::nullopt}};
    auto launcher = step("launcher");
    launcher.success_event = "launcher-opened";
    launcher.rebind_combo = "SUPER+Space";
    content.steps = {step("welcome"), launcher, step("last")};
  }
};

TEST_F(TemporaryRebindTest, TheRecordIsWrittenBeforeTheKeyIsReboundAndUndoneBeforeTheNextStep) {
  start();
  journal.clear();
  engine.next_step();
  EXPECT_THAT(journal, ElementsAre("close", "step 1", "render launcher",
                                   "record SUPER,SPACE SUPER,SPACE,exec,fuzzel",
                                   "bind SUPER,SPACE,exec,sh -c 'fuzzel ; marlguide --tour-event "
                                   "launcher-opened'"));
  journal.clear();
  engine.next_step();
  EXPECT_THAT(journal, ElementsAre("bind SUPER,SPACE,exec,fuzzel", "clear", "close", "step 2",
                                   "render last"));
  EXPECT_EQ(state.pending, std::nullopt);
}

TEST_F(TemporaryRebindTest, EveryWayOutOfTheStepPutsTheBindingBack) {
  const auto restored = [&](const std::function<void()>& leave) {
    state.step = 1;
    start();
    journal.clear();
    leave();
    // Put back and forgotten before anything else happens.
    return journal.size() >= 2 && journal[0] == "bind SUPER,SPACE,exec,fuzzel" &&
           journal[1] == "clear";
  };
  EXPECT_TRUE(restored([&] { engine.previous_step(); })) << "Back";
  EXPECT_TRUE(restored([&] { engine.skip(); })) << "Skip tour";
  EXPECT_TRUE(restored([&] { engine.restore_pending_rebind(); })) << "shutdown";
  EXPECT_TRUE(restored([&] { start(); })) << "a restart";
}

TEST_F(TemporaryRebindTest, ARecordLeftByACrashIsPutBackAtTheNextStart) {
  state.pending = StateStore::Pending{"SUPER,E", "SUPER,E,exec,thunar"};
  content.steps.clear();
  start();
  EXPECT_THAT(journal, ElementsAre("bind SUPER,E,exec,thunar", "clear"));
  engine.restore_pending_rebind();
  EXPECT_THAT(journal, ElementsAre("bind SUPER,E,exec,thunar", "clear")) << "only once";
}

TEST_F(TemporaryRebindTest, KeysThatDoNotStartAProgramAreLeftAlone) {
  for (const char* combo : {"super + 2", "super + 3"}) {
    content.steps[1].rebind_combo = combo;
    state.step = 1;
    start();
    EXPECT_FALSE(state.pending.has_value()) << combo;
    for (const auto& line : journal) EXPECT_THAT(line, ::testing::Not(HasSubstr("bind"))) << combo;
  }
  // A combination without an event is not rebound either.
  content.steps[1].rebind_combo = "super + space";
  content.steps[1].success_event.reset();
  start();
  EXPECT_FALSE(state.pending.has_value());
}

TEST_F(TemporaryRebindTest, AnUnsafeEventNameNeverReachesTheCompositor) {
  for (const char* hostile :
       {"x; touch /tmp/owned", "$(touch /tmp/owned)", "a'b", "`id`", "a b", "a#b"}) {
    content.steps[1].success_event = hostile;
    state.step = 1;
    journal.clear();
    ::testing::internal::CaptureStderr();
    start();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(state.pending, std::nullopt) << hostile;
    for (const auto& line : journal)
      EXPECT_THAT(line, ::testing::Not(HasSubstr("bind"))) << hostile;
    EXPECT_THAT(err, HasSubstr("marlguide: tour step \"launcher\": the event name")) << hostile;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    // The step itself still works: the name can arrive by other means and confirm it.
    engine.event(hostile);
    EXPECT_TRUE(engine.confirmed()) << hostile;
  }
}

TEST_F(TemporaryRebindTest, WithoutAStoredWayBackTheKeyIsNotRebound) {
  state.read_only = true;
  state.step = 1;
  start();
  EXPECT_THAT(journal, ::testing::Contains(HasSubstr("record SUPER,SPACE")));
  for (const auto& line : journal) EXPECT_THAT(line, ::testing::Not(HasSubstr("bind")));
  EXPECT_TRUE(engine.active()) << "the tour goes on without the rebind";
}

TEST_F(TourEngineTest, DiscardTakesTheTourDownWithoutRecordingAnything) {
  auto s = step("terminal");
  s.target_window_class = "kitty";
  s.launch = "kitty";
  content.steps = {s};
  start();
  journal.clear();
  engine.discard();
  EXPECT_FALSE(engine.active());
  EXPECT_THAT(timers.pending(), IsEmpty());
  EXPECT_THAT(journal, ElementsAre("close"));
  EXPECT_EQ(screen.overlays_showing, 0);
}

}  // namespace
}  // namespace marlguide::ui::tour

#include "ui/tour/engine.hpp"

#include <algorithm>
#include <format>
#include <limits>

#include "ui/tour/rebind.hpp"
#include "util/message.hpp"

namespace marlguide::ui::tour {

services::StepTarget step_target(const content::Step& step) {
  using Kind = services::StepTarget::Kind;
  if (step.target_namespace) return {Kind::Namespace, *step.target_namespace};
  if (step.target_window_class) return {Kind::WindowClass, *step.target_window_class};
  return {Kind::Nothing, {}};
}

namespace {

// A name from a file, quoted for a message: quotes and backslashes escaped, and every byte
// outside printable ASCII written as \xNN so that the message stays one readable line.
std::string printable(std::string_view text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\')
      out += std::format("\\{}", static_cast<char>(c));
    else if (c < 0x20 || c >= 0x7f)
      out += std::format("\\x{:02x}", c);
    else
      out += static_cast<char>(c);
  }
  return out + "\"";
}

}  // namespace

TourEngine::TourEngine(Seams seams) : seams_(seams) {}

TourEngine::~TourEngine() { discard(); }

std::size_t TourEngine::index() const { return state_ ? state_->index : 0; }
bool TourEngine::confirmed() const { return state_ && state_->confirmed; }
bool TourEngine::hint_due() const { return state_ && state_->hint_due; }

void TourEngine::start(std::unique_ptr<Overlay> overlay) {
  restore_pending_rebind();
  std::vector<content::Step> steps = seams_.content.load_tour();
  if (steps.empty()) return;
  const std::int64_t saved = seams_.state.onboarding_step();

  if (state_) {
    cancel_timers();
    close_overlay();
    state_.reset();
  }
  state_.emplace();
  state_->steps = std::move(steps);
  state_->binds = seams_.content.load_keybinds();
  state_->overlay = std::move(overlay);

  // Compared as unsigned: a negative saved step is far past the end and so gives the last.
  const std::size_t last = state_->steps.size() - 1;
  enter_step(static_cast<std::size_t>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(saved), std::uint64_t{last})));
}

void TourEngine::enter_step(std::size_t i) {
  if (!state_) {
    report("enter_step called with no active tour");
    return;
  }
  restore_pending_rebind();
  cancel_timers();
  close_overlay();
  state_->index = i;
  state_->confirmed = false;
  state_->hint_due = false;
  seams_.state.set_onboarding_step(i);
  render(false);

  const content::Step& step = state_->steps[i];
  if (!seams_.compositor.target_present(step_target(step))) {
    arm_poll(i);
    if (step.launch)
      state_->hint_source = seams_.timers.after_seconds(kHintSeconds, [this, i] { hint_fired(i); });
  }
  if (step.rebind_combo && step.success_event) install_rebind(step);
  if (!step.success_event && step.success_timeout_seconds) {
    // A wait longer than the timer can count is as good as forever; wrapping it round would
    // turn it into one that is over at once.
    const auto seconds = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        *step.success_timeout_seconds, std::numeric_limits<std::uint32_t>::max()));
    state_->timeout_source = seams_.timers.after_seconds(seconds, [this, i] { timeout_fired(i); });
  }
}

void TourEngine::install_rebind(const content::Step& step) {
  const auto match = content::find_keybind(state_->binds, *step.rebind_combo);
  if (!match) return;
  if (!safe_event_name(*step.success_event)) {
    report(
        "tour step {}: the event name {} may hold only letters, digits, '.', '_' and '-'; "
        "its key is not rebound",
        printable(step.id), printable(*step.success_event));
    return;
  }
  const auto rebind = temporary_rebind(match->combo, match->dispatcher, *step.success_event);
  if (!rebind) return;
  // The way back is stored before the compositor is touched; without it the user's key would
  // stay replaced for the rest of the session.
  if (!seams_.state.set_pending_rebind(rebind->keys, rebind->saved)) return;
  seams_.compositor.keyword_bind(rebind->binding);
}

void TourEngine::end_tour() {
  restore_pending_rebind();
  cancel_timers();
  close_overlay();
  seams_.state.set_onboarding_completed(true);
  state_.reset();
}

void put_back_pending_rebind(StateStore& state, Compositor& compositor) {
  const auto pending = state.pending_rebind();
  if (!pending) return;
  compositor.keyword_bind(pending->original);
  state.clear_pending_rebind();
}

void TourEngine::restore_pending_rebind() {
  put_back_pending_rebind(seams_.state, seams_.compositor);
}

void TourEngine::render(bool centred_only) {
  auto& s = *state_;
  s.overlay->render(RenderRequest{
      .step = s.steps[s.index],
      .index = s.index,
      .count = s.steps.size(),
      .binds = s.binds,
      .last = s.index + 1 >= s.steps.size(),
      .centred_only = centred_only,
      .confirmed = s.confirmed,
      .hint_due = s.hint_due,
  });
}

void TourEngine::cancel_timers() {
  if (!state_) return;
  for (unsigned* slot : {&state_->poll_source, &state_->timeout_source, &state_->hint_source}) {
    if (*slot != 0) seams_.timers.cancel(*slot);
    *slot = 0;
  }
}

void TourEngine::close_overlay() {
  if (state_ && state_->overlay) state_->overlay->close();
}

void TourEngine::arm_poll(std::size_t for_index) {
  state_->poll_source =
      seams_.timers.after_milliseconds(kPollInterval, [this, for_index] { poll_tick(for_index); });
}

void TourEngine::poll_tick(std::size_t armed_for) {
  if (!state_) return;
  state_->poll_source = 0;
  if (state_->index != armed_for) return;
  if (seams_.compositor.target_present(step_target(state_->steps[state_->index])))
    render(false);
  else
    arm_poll(armed_for);
}

void TourEngine::hint_fired(std::size_t armed_for) {
  if (!state_) return;
  state_->hint_source = 0;
  if (state_->index != armed_for || state_->confirmed) return;
  state_->hint_due = true;
  render(false);
}

void TourEngine::timeout_fired(std::size_t armed_for) {
  if (!state_) return;
  state_->timeout_source = 0;
  if (state_->index != armed_for) return;
  advance();
}

void TourEngine::advance() {
  if (state_->index + 1 < state_->steps.size())
    enter_step(state_->index + 1);
  else
    end_tour();
}

void TourEngine::event(std::string_view name) {
  if (!state_) return;
  if (state_->confirmed && state_->overlay->showing()) return;
  const auto& expected = state_->steps[state_->index].success_event;
  if (!expected || *expected != name) return;
  state_->confirmed = true;
  render(true);
}

void TourEngine::previous_step() {
  if (state_ && state_->index > 0) enter_step(state_->index - 1);
}

void TourEngine::next_step() {
  if (state_) advance();
}

void TourEngine::skip() {
  if (state_) end_tour();
}

void TourEngine::show_me() {
  if (!state_) return;
  if (const auto& launch = state_->steps[state_->index].launch)
    seams_.compositor.launch_detached(*launch);
}

void TourEngine::discard() {
  cancel_timers();
  close_overlay();
  state_.reset();
}

}  // namespace marlguide::ui::tour

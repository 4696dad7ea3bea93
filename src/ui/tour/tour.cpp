#include "ui/tour/tour.hpp"

#include <memory>

#include "config/state.hpp"
#include "content/keybinds.hpp"
#include "content/tour.hpp"
#include "services/exec.hpp"
#include "services/hyprland.hpp"
#include "ui/tour/engine.hpp"
#include "ui/tour/overlay.hpp"

namespace marlguide::ui::tour {
namespace {

// One-shot timeouts on the default main context, at the default priority.
class MainLoopTimers final : public Timers {
 public:
  unsigned after_milliseconds(std::chrono::milliseconds delay,
                              std::function<void()> fire) override {
    return add(g_timeout_add_full, static_cast<guint>(delay.count()), std::move(fire));
  }
  unsigned after_seconds(std::uint32_t seconds, std::function<void()> fire) override {
    return add(g_timeout_add_seconds_full, seconds, std::move(fire));
  }
  void cancel(unsigned id) override { g_source_remove(id); }

 private:
  using AddFn = guint (*)(gint, guint, GSourceFunc, gpointer, GDestroyNotify);
  static unsigned add(AddFn add_fn, guint interval, std::function<void()> fire) {
    auto* held = new std::function<void()>(std::move(fire));
    return add_fn(
        G_PRIORITY_DEFAULT, interval,
        [](gpointer data) -> gboolean {
          (*static_cast<std::function<void()>*>(data))();
          return G_SOURCE_REMOVE;
        },
        held, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
  }
};

class HyprlandCompositor final : public Compositor {
 public:
  bool target_present(const services::StepTarget& target) override {
    return services::target_present(target);
  }
  void keyword_bind(std::string_view binding) override { services::keyword_bind(binding); }
  void launch_detached(std::string_view command) override { services::launch_detached(command); }
};

// Each operation works on a freshly loaded state file, or on the one the caller already
// loaded.
class StateFileStore final : public StateStore {
  config::StateFile* loaded_ = nullptr;

  template <typename F>
  auto with_state(F&& use) {
    if (loaded_) return use(*loaded_);
    config::StateFile fresh = config::load_state();
    return use(fresh);
  }

 public:
  StateFileStore() = default;
  explicit StateFileStore(config::StateFile& loaded) : loaded_(&loaded) {}

  std::int64_t onboarding_step() override {
    return with_state([](auto& s) { return config::onboarding_step(s); });
  }
  void set_onboarding_step(std::uint64_t index) override {
    with_state([&](auto& s) { config::set_onboarding_step(s, index); });
  }
  void set_onboarding_completed(bool completed) override {
    with_state([&](auto& s) { config::set_onboarding_completed(s, completed); });
  }
  std::optional<Pending> pending_rebind() override {
    auto pending = with_state([](auto& s) { return config::pending_rebind(s); });
    if (!pending) return std::nullopt;
    return Pending{std::move(pending->key), std::move(pending->original)};
  }
  bool set_pending_rebind(std::string_view key, std::string_view original) override {
    with_state([&](auto& s) { config::set_pending_rebind(s, key, original); });
    // The setter reports a failed write itself; what matters here is whether the record can
    // be found in the file again.
    const auto stored = config::pending_rebind(config::load_state());
    return stored && stored->key == key && stored->original == original;
  }
  void clear_pending_rebind() override {
    with_state([](auto& s) { config::clear_pending_rebind(s); });
  }
};

class ContentFiles final : public Content {
 public:
  std::vector<content::Step> load_tour() override { return content::load_onboarding_tour(); }
  std::vector<content::Keybind> load_keybinds() override { return content::load_keybinds(); }
};

// The process's one engine with its real seams. Created on first use on the main thread and
// kept until the process ends; the tour it runs is taken down at shutdown.
struct Tour {
  MainLoopTimers timers;
  HyprlandCompositor compositor;
  StateFileStore state;
  ContentFiles content;
  TourEngine engine{{timers, compositor, state, content}};
};

Tour& tour() {
  thread_local Tour instance;
  return instance;
}

}  // namespace

void start_tour(const Glib::RefPtr<Gdk::Display>& display) {
  TourEngine& engine = tour().engine;
  engine.start(
      std::make_unique<OverlayWindows>(display, TourActions{
                                                    .back = [&engine] { engine.previous_step(); },
                                                    .next = [&engine] { engine.next_step(); },
                                                    .skip = [&engine] { engine.skip(); },
                                                    .show_me = [&engine] { engine.show_me(); },
                                                }));
}

void restart_tour(const Glib::RefPtr<Gdk::Display>& display) {
  auto state = config::load_state();
  config::set_onboarding_completed(state, false);
  config::set_onboarding_step(state, 0);
  start_tour(display);
}

void tour_event(std::string_view name) { tour().engine.event(name); }

void restore_pending_rebind() { tour().engine.restore_pending_rebind(); }

void restore_pending_rebind(config::StateFile& state) {
  StateFileStore store(state);
  put_back_pending_rebind(store, tour().compositor);
}

void shutdown_tour() {
  TourEngine& engine = tour().engine;
  engine.restore_pending_rebind();
  engine.discard();
}

}  // namespace marlguide::ui::tour

#include "config/state.hpp"

#include <limits>
#include <utility>
#include <vector>

#include "config/atomic_write.hpp"
#include "config/paths.hpp"
#include "config/toml_file.hpp"
#include "util/message.hpp"

namespace marlguide::config {
namespace {

constexpr std::string_view kGeneral = "general";
constexpr std::string_view kOnboarding = "onboarding";
constexpr std::string_view kTour = "tour";
constexpr std::string_view kRebindKey = "pending_rebind_key";
constexpr std::string_view kRebindOriginal = "pending_rebind_original";

const toml::node* lookup(const StateFile& state, std::string_view table, std::string_view key) {
  const auto* t = state.document.root().get_as<toml::table>(table);
  return t != nullptr ? t->get(key) : nullptr;
}

std::optional<std::string> text_at(const StateFile& state, std::string_view table,
                                   std::string_view key) {
  const auto* node = lookup(state, table, key);
  if (node == nullptr || !node->is_string()) return std::nullopt;
  return node->as_string()->get();
}

bool store(StateFile& state) {
  auto saved = state.backup_holds_unusable_file ? write_atomic(state.path, state.document.text())
                                                : save_toml(state.path, state.document);
  if (!saved) {
    report("couldn't write {}: {}", state.path.string(), saved.error().message());
    return false;
  }
  if (state.replaces_unusable_file) state.backup_holds_unusable_file = true;
  return true;
}

struct Change {
  std::string_view table, key;
  TomlValue value;
};

// Applies the changes to a copy first, so that a file is written with all of them or none.
void write_values(StateFile& state, const std::vector<Change>& changes) {
  TomlDocument next = state.document;
  std::vector<std::pair<std::string_view, std::string>> displaced;
  for (const auto& c : changes) {
    auto edit = next.set(c.table, c.key, c.value);
    if (!edit) {
      report("couldn't write {}: {}", state.path.string(), edit.error());
      return;
    }
    if (edit->displaced) displaced.emplace_back(c.table, std::move(*edit->displaced));
  }
  state.document = std::move(next);
  if (!store(state)) return;
  // The user's value is gone from the file now; say so, and where the old file is.
  for (const auto& [table, old] : displaced)
    report("{}: \"{}\" held {} instead of a table; replaced it (the previous file is kept in {})",
           state.path.string(), table, old, backup_path(state.path).string());
}

}  // namespace

std::filesystem::path state_file_path() { return config_dir() / "marlguide" / "state.toml"; }

StateFile load_state() {
  const auto path = state_file_path();
  StateFile state{read_toml_or_default("marlguide", path), path};
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  state.replaces_unusable_file = !ec && size > 0 && state.document.text().empty();
  return state;
}

DisplayMode mode(const StateFile& state) {
  const auto text = text_at(state, kGeneral, "mode");
  return text ? display_mode_from_string(*text) : DisplayMode::Normal;
}

bool onboarding_completed(const StateFile& state) {
  const auto* node = lookup(state, kOnboarding, "completed");
  return node != nullptr && node->is_boolean() && node->as_boolean()->get();
}

std::int64_t onboarding_step(const StateFile& state) {
  const auto* node = lookup(state, kOnboarding, "step");
  return node != nullptr && node->is_integer() ? node->as_integer()->get() : 0;
}

std::optional<PendingRebind> pending_rebind(const StateFile& state) {
  auto key = text_at(state, kTour, kRebindKey);
  auto original = text_at(state, kTour, kRebindOriginal);
  if (!key || !original) return std::nullopt;
  return PendingRebind{std::move(*key), std::move(*original)};
}

void set_mode(StateFile& state, DisplayMode mode) {
  write_values(state, {{kGeneral, "mode", std::string(to_string(mode))}});
}

void set_onboarding_completed(StateFile& state, bool completed) {
  write_values(state, {{kOnboarding, "completed", completed}});
}

void set_onboarding_step(StateFile& state, std::uint64_t index) {
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  write_values(state, {{kOnboarding, "step", static_cast<std::int64_t>(std::min(index, kMax))}});
}

void set_pending_rebind(StateFile& state, std::string_view key, std::string_view original) {
  write_values(state, {{kTour, kRebindKey, std::string(key)},
                       {kTour, kRebindOriginal, std::string(original)}});
}

void clear_pending_rebind(StateFile& state) {
  TomlDocument next = state.document;
  for (auto key : {kRebindKey, kRebindOriginal}) {
    if (auto removed = next.remove(kTour, key); !removed) {
      report("couldn't write {}: {}", state.path.string(), removed.error());
      return;
    }
  }
  state.document = std::move(next);
  store(state);
}

}  // namespace marlguide::config

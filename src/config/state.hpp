#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "config/display_mode.hpp"
#include "config/toml_document.hpp"

namespace marlguide::config {

// The loaded state file: a short-lived value. Load one, use it for one or two operations, drop
// it; nothing is cached between loads, so hand edits and other instances are seen at once.
struct StateFile {
  TomlDocument document;
  std::filesystem::path path;
  // The file was there but could not be used (it did not parse or was not UTF-8), so the
  // document is a fresh one. Its text goes to the backup at the first save, and later saves of
  // this same load leave that backup alone instead of rotating the user's text away.
  bool replaces_unusable_file = false;
  bool backup_holds_unusable_file = false;
};

// A key binding the tour replaced for the time being: the key part in the compositor's form
// ("SUPER,Q") and the whole binding text that puts the user's binding back.
struct PendingRebind {
  std::string key;
  std::string original;
  bool operator==(const PendingRebind&) const = default;
};

// <config_dir>/marlguide/state.toml
std::filesystem::path state_file_path();

// The state file, or an empty one when it is missing, unreadable or does not parse (the last
// is reported and backed up).
StateFile load_state();

// Readers: a missing table or key, or a value of another type, reads as the default.
DisplayMode mode(const StateFile& state);
bool onboarding_completed(const StateFile& state);
// The stored index unchanged, negative values included.
std::int64_t onboarding_step(const StateFile& state);
// Present only when both keys hold texts.
std::optional<PendingRebind> pending_rebind(const StateFile& state);

// Setters change the document and write the file at once. They never fail to the caller: a
// write that fails is reported on standard error and the document keeps the change.
void set_mode(StateFile& state, DisplayMode mode);
void set_onboarding_completed(StateFile& state, bool completed);
// Indexes past the largest TOML integer are stored as that integer.
void set_onboarding_step(StateFile& state, std::uint64_t index);
// Puts both keys and writes once.
void set_pending_rebind(StateFile& state, std::string_view key, std::string_view original);
// Removes both keys (the "tour" table stays) and writes, even when there was nothing to remove.
void clear_pending_rebind(StateFile& state);

}  // namespace marlguide::config

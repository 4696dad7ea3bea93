#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The user's key bindings, read from the compositor configuration's "binds.json" export.
namespace marlguide::content {

struct Keybind {
  std::string combo;        // lower case, "super + shift + u"
  std::string description;  // the entry's label, else its action
  std::string category;
  std::optional<std::string> demo_cmd;
  std::optional<std::string> dispatcher;  // "exec,<command>" for exec bindings with a command

  bool operator==(const Keybind&) const = default;
};

// $HOME/.config/hypr/binds.json ("/root" for a HOME that is unset or not UTF-8).
std::filesystem::path keybinds_path();

// Parses the text of a "binds.json"; one bad entry rejects the whole file.
std::expected<std::vector<Keybind>, std::string> parse_keybinds(std::string_view text);

// The bindings in file order; empty when the file cannot be read, or does not parse
// (reported).
std::vector<Keybind> load_keybinds();
std::vector<Keybind> load_keybinds(const std::filesystem::path& file);

// The first binding whose combination equals `text`, white space removed and letter case
// ignored on both sides.
std::optional<Keybind> find_keybind(const std::vector<Keybind>& binds, std::string_view text);

}  // namespace marlguide::content

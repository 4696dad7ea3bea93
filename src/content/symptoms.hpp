#pragma once

#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Troubleshooting questionnaires: one TOML file per symptom in "troubleshooting/_symptoms" of
// each content root.
namespace marlguide::content {

struct Fix {
  std::string description;
  std::string command;
  bool requires_confirm = false;
  bool operator==(const Fix&) const = default;
};

struct SymptomOption {
  std::string label;
  std::string go_to;  // the file's `goto`: "node" or "symptom:node"
  bool operator==(const SymptomOption&) const = default;
};

struct SymptomNode {
  std::string id;
  std::string prompt;
  std::vector<SymptomOption> options;
  std::optional<Fix> fix;
  bool operator==(const SymptomNode&) const = default;
};

// Symptom identifier (the file's stem) to its nodes in file order.
using SymptomTable = std::map<std::string, std::vector<SymptomNode>, std::less<>>;

struct KnownSymptom {
  std::string_view id;
  std::string_view title;
};

// The symptoms the troubleshooting wizard offers on its first page, in order.
std::span<const KnownSymptom> known_symptoms();

// Parses the text of one symptom file into its nodes.
std::expected<std::vector<SymptomNode>, std::string> parse_symptom_file(std::string_view text);

// Every symptom of the system directory, then of the user directory; a user file replaces the
// system file of the same stem whole. Files that do not parse are reported and skipped.
SymptomTable load_symptoms();
SymptomTable load_symptoms(std::span<const std::filesystem::path> directories);

struct GotoTarget {
  std::string symptom;
  std::string node;
  bool operator==(const GotoTarget&) const = default;
};

// Where a `goto` leads from `current`: "node" stays in the current symptom, "symptom:node"
// (split at the first colon) leads elsewhere. The target may not exist; `find_node` tells.
GotoTarget resolve_goto(const SymptomTable& table, std::string_view current,
                        std::string_view go_to);

// The first node of the symptom with that id, or null.
const SymptomNode* find_node(const SymptomTable& table, std::string_view symptom,
                             std::string_view node);

}  // namespace marlguide::content

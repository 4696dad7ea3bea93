#include "content/symptoms.hpp"

#include <array>
#include <system_error>

#include "content/decode.hpp"
#include "content/roots.hpp"
#include "content/text.hpp"
#include "util/message.hpp"

namespace marlguide::content {
namespace {

namespace fs = std::filesystem;

constexpr std::array<KnownSymptom, 2> kKnownSymptoms{{
    {"no-sound", "No sound"},
    {"wifi-wont-connect", "Wi-Fi won't connect"},
}};

SymptomNode decode_node(const TomlFields& t) {
  SymptomNode node;
  node.id = t.string("id");
  node.prompt = t.string("prompt");
  for (const auto& option : t.table_list("options"))
    node.options.push_back(SymptomOption{option.string("label"), option.string("goto")});
  if (const auto fix = t.optional_table("fix")) {
    node.fix = Fix{fix->string("description"), fix->string("command"),
                   fix->optional_bool("requires_confirm").value_or(false)};
  }
  return node;
}

void load_directory(const fs::path& dir, SymptomTable& table) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& path = it->path();
    if (path.extension() != ".toml") continue;
    const std::string stem = path.stem().native();
    if (!is_valid_utf8(stem)) continue;
    const auto text = read_utf8_file(path);
    if (!text) continue;
    auto nodes = parse_symptom_file(*text);
    if (!nodes) {
      report("{} failed to parse: {}", path.native(), nodes.error());
      continue;
    }
    table.insert_or_assign(stem, std::move(*nodes));
  }
}

}  // namespace

std::span<const KnownSymptom> known_symptoms() { return kKnownSymptoms; }

std::expected<std::vector<SymptomNode>, std::string> parse_symptom_file(std::string_view text) {
  return decode_toml<std::vector<SymptomNode>>(text, [](const TomlFields& t) {
    std::vector<SymptomNode> nodes;
    for (const auto& node : t.table_list("node")) nodes.push_back(decode_node(node));
    return nodes;
  });
}

SymptomTable load_symptoms() {
  const std::array<fs::path, 2> dirs{system_content_dir() / "troubleshooting/_symptoms",
                                     user_content_dir() / "troubleshooting/_symptoms"};
  return load_symptoms(dirs);
}

SymptomTable load_symptoms(std::span<const fs::path> directories) {
  SymptomTable table;
  for (const auto& dir : directories) load_directory(dir, table);
  return table;
}

GotoTarget resolve_goto(const SymptomTable&, std::string_view current, std::string_view go_to) {
  const auto colon = go_to.find(':');
  if (colon == std::string_view::npos) return {std::string(current), std::string(go_to)};
  return {std::string(go_to.substr(0, colon)), std::string(go_to.substr(colon + 1))};
}

const SymptomNode* find_node(const SymptomTable& table, std::string_view symptom,
                             std::string_view node) {
  const auto it = table.find(symptom);
  if (it == table.end()) return nullptr;
  for (const auto& n : it->second)
    if (n.id == node) return &n;
  return nullptr;
}

}  // namespace marlguide::content

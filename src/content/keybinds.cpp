#include "content/keybinds.hpp"

#include <cstdlib>
#include <format>

#include "content/decode.hpp"
#include "content/text.hpp"
#include "util/message.hpp"

namespace marlguide::content {
namespace {

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

std::string normalise_combo(std::string_view text) { return to_lower(remove_white_space(text)); }

}  // namespace

std::filesystem::path keybinds_path() {
  const char* home = std::getenv("HOME");
  const std::filesystem::path base = home && is_valid_utf8(home) ? home : "/root";
  return base / ".config/hypr/binds.json";
}

std::expected<std::vector<Keybind>, std::string> parse_keybinds(std::string_view text) {
  return decode_json<std::vector<Keybind>>(text, [](const JsonFields& file) {
    const auto entries = file.object_list("bindings");
    auto default_mods =
        file.optional_string_list("default_mods").value_or(std::vector<std::string>{});
    if (default_mods.empty()) default_mods = {"SUPER"};

    std::vector<Keybind> binds;
    binds.reserve(entries.size());
    for (const auto& entry : entries) {
      const std::string action = entry.string("action");
      const auto command = entry.optional_string("command");
      const std::string key = entry.string("key");
      const auto mods = entry.optional_string_list("mods").value_or(default_mods);
      const auto label = entry.optional_string("label");
      std::string category = entry.string_or("category", "");
      auto demo_cmd = entry.optional_string("demo_cmd");

      Keybind bind;
      bind.combo = mods.empty()
                       ? to_lower(key)
                       : std::format("{} + {}", to_lower(join(mods, " + ")), to_lower(key));
      bind.description = label.value_or(action);
      bind.category = std::move(category);
      bind.demo_cmd = std::move(demo_cmd);
      if (action == "exec" && command) bind.dispatcher = std::format("exec,{}", *command);
      binds.push_back(std::move(bind));
    }
    return binds;
  });
}

std::vector<Keybind> load_keybinds() { return load_keybinds(keybinds_path()); }

std::vector<Keybind> load_keybinds(const std::filesystem::path& file) {
  const auto text = read_utf8_file(file);
  if (!text) return {};
  auto binds = parse_keybinds(*text);
  if (!binds) {
    report("binds.json failed to parse: {}", binds.error());
    return {};
  }
  return std::move(*binds);
}

std::optional<Keybind> find_keybind(const std::vector<Keybind>& binds, std::string_view text) {
  const std::string wanted = normalise_combo(text);
  for (const auto& bind : binds)
    if (normalise_combo(bind.combo) == wanted) return bind;
  return std::nullopt;
}

}  // namespace marlguide::content

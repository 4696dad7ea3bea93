#include "ui/tour/rebind.hpp"

#include <algorithm>
#include <format>

#include "services/hyprland_json.hpp"

namespace marlguide::ui::tour {

bool safe_event_name(std::string_view name) {
  return !name.empty() && std::ranges::all_of(name, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

std::string escape_single_quotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out;
}

std::optional<TemporaryRebind> temporary_rebind(std::string_view combo,
                                                const std::optional<std::string>& dispatcher,
                                                std::string_view event) {
  constexpr std::string_view kExec = "exec,";
  if (!dispatcher || dispatcher->size() < kExec.size() || !dispatcher->starts_with(kExec))
    return std::nullopt;
  if (!safe_event_name(event)) return std::nullopt;
  std::string keys = services::binding_keys(combo);
  if (keys.empty()) return std::nullopt;
  const std::string command = escape_single_quotes(std::string_view(*dispatcher).substr(5));
  std::string saved = std::format("{},{}", keys, *dispatcher);
  std::string binding =
      std::format("{},exec,sh -c '{} ; marlguide --tour-event {}'", keys, command, event);
  return TemporaryRebind{std::move(keys), std::move(saved), std::move(binding)};
}

}  // namespace marlguide::ui::tour

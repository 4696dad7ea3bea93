// The "binds.json" decoder over arbitrary bytes: it either rejects the text or gives bindings
// that the key-chip lookup and the compositor's key syntax both accept.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.hpp"
#include "content/keybinds.hpp"
#include "services/hyprland_json.hpp"

using namespace marlguide;
using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto binds = content::parse_keybinds(text);
  if (!binds) {
    check(!binds.error().empty(), "a rejection says why");
    check(binds.error().find('\n') == std::string::npos, "a rejection is one line");
    return 0;
  }
  for (const auto& bind : *binds) {
    check(content::find_keybind(*binds, bind.combo).has_value(),
          "every binding is found by its own combination");
    if (bind.dispatcher) check(bind.dispatcher->starts_with("exec,"), "dispatchers are exec");
    (void)services::bind_keys(bind.combo);
  }
  return 0;
}

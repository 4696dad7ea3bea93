// The decoders of hyprctl's JSON answers over arbitrary bytes: every query's decoder takes
// whatever the compositor (or anything posing as it) prints.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.hpp"
#include "services/hyprland_json.hpp"

using namespace marlguide;
using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto doc = services::parse_hyprctl_json(text);
  if (!doc) return 0;

  const auto layers = services::decode_layers(*doc);
  for (const auto& layer : layers) {
    const auto* found = services::find_layer(layers, layer.namespace_);
    check(found != nullptr && found->namespace_ == layer.namespace_, "layers are found by name");
  }
  const auto clients = services::decode_clients(*doc);
  for (const auto& client : clients)
    check(services::find_client(clients, client.class_) != nullptr, "clients are found by class");
  const auto monitors = services::decode_monitors(*doc);
  for (const auto& monitor : monitors) {
    const auto* found = services::find_monitor(monitors, monitor.id);
    check(found != nullptr && found->id == monitor.id, "monitors are found by id");
  }
  return 0;
}

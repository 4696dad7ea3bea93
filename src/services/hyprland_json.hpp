#pragma once

// Decoding of hyprctl's JSON answers and the other pure pieces of the Hyprland client: no
// process is started and no GTK type is used here.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlguide::services {

// One layer-shell surface of `hyprctl -j layers`.
struct Layer {
  std::string namespace_;  // the surface's layer-shell namespace
  std::string monitor;     // the monitor name the surface was listed under
  std::int32_t x = 0, y = 0, w = 0, h = 0;

  bool operator==(const Layer&) const = default;
};

// One window of `hyprctl -j clients`.
struct Client {
  std::string class_;
  std::int32_t at[2] = {0, 0};    // x, y
  std::int32_t size[2] = {0, 0};  // width, height
  std::int32_t monitor = 0;       // id of the monitor the window is on

  bool operator==(const Client&) const = default;
};

// One output of `hyprctl -j monitors`.
struct Monitor {
  std::int32_t id = 0;
  std::string name;  // connector name, as GDK reports it
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  bool focused = false;

  bool operator==(const Monitor&) const = default;
};

// What a tour step points at.
struct StepTarget {
  enum class Kind {
    Nothing,      // points at nothing
    Namespace,    // a layer surface whose namespace equals `text` byte for byte
    WindowClass,  // a window whose class equals `text`, ignoring ASCII case
  };
  Kind kind = Kind::Nothing;
  std::string text;
};

// Parses the whole text as one JSON document; none on any error. An object with a repeated
// key is ambiguous, so it is replaced by null: the decoders below then treat it as unusable.
std::optional<nlohmann::json> parse_hyprctl_json(std::string_view text);

// Surfaces in the order of the monitor names, then of the level keys, then of each level's
// array. Unusable surfaces are skipped; a document that is not an object gives none.
std::vector<Layer> decode_layers(const nlohmann::json& doc);
// All or nothing: one element that does not decode empties the list.
std::vector<Client> decode_clients(const nlohmann::json& doc);
std::vector<Monitor> decode_monitors(const nlohmann::json& doc);

// Only A-Z fold to a-z.
bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

// The first match in list order, or null.
const Layer* find_layer(const std::vector<Layer>& layers, std::string_view namespace_);
const Client* find_client(const std::vector<Client>& clients, std::string_view class_);
const Monitor* find_monitor(const std::vector<Monitor>& monitors, std::int32_t id);

// Turns a combination such as "super + shift + u" into the key part of a Hyprland binding,
// "SUPER_SHIFT,U". Empty when the text holds no key.
std::string bind_keys(std::string_view combo);

// The first two fields of a Hyprland binding, "MODS,KEY". A combination without modifiers gets
// an empty modifier field (",F1"): Hyprland always reads the first field as the modifiers, so
// "F1,exec,..." would be refused. Empty when the text holds no key.
std::string binding_keys(std::string_view combo);

}  // namespace marlguide::services

#include "services/hyprland_json.hpp"

#include <algorithm>
#include <limits>
#include <set>

namespace marlguide::services {
namespace {

using nlohmann::json;

std::optional<std::int32_t> as_int32(const json& v) {
  if (v.is_number_unsigned()) {
    const auto u = v.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      return std::nullopt;
    return static_cast<std::int32_t>(u);
  }
  if (v.is_number_integer()) {
    const auto i = v.get<std::int64_t>();
    if (i < std::numeric_limits<std::int32_t>::min() ||
        i > std::numeric_limits<std::int32_t>::max())
      return std::nullopt;
    return static_cast<std::int32_t>(i);
  }
  return std::nullopt;
}

// Layer coordinates are taken from any 64-bit integer, keeping its low 32 bits: a surface
// placed far off screen is still a surface.
std::optional<std::int32_t> as_low_int32(const json& v) {
  std::uint64_t bits = 0;
  if (v.is_number_unsigned()) {
    bits = v.get<std::uint64_t>();
    if (bits > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      return std::nullopt;
  } else if (v.is_number_integer()) {
    bits = static_cast<std::uint64_t>(v.get<std::int64_t>());
  } else {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

const json* member(const json& obj, const char* key) {
  auto it = obj.find(key);
  return it == obj.end() ? nullptr : &*it;
}

bool read_int32(const json& obj, const char* key, std::int32_t& out) {
  const json* v = member(obj, key);
  if (!v) return false;
  auto i = as_int32(*v);
  if (!i) return false;
  out = *i;
  return true;
}

bool read_string(const json& obj, const char* key, std::string& out) {
  const json* v = member(obj, key);
  if (!v || !v->is_string()) return false;
  out = v->get<std::string>();
  return true;
}

bool read_pair(const json& obj, const char* key, std::int32_t (&out)[2]) {
  const json* v = member(obj, key);
  if (!v || !v->is_array() || v->size() != 2) return false;
  auto a = as_int32((*v)[0]);
  auto b = as_int32((*v)[1]);
  if (!a || !b) return false;
  out[0] = *a;
  out[1] = *b;
  return true;
}

std::optional<Client> decode_client(const json& e) {
  if (!e.is_object()) return std::nullopt;
  Client c;
  if (!read_string(e, "class", c.class_) || !read_pair(e, "at", c.at) ||
      !read_pair(e, "size", c.size) || !read_int32(e, "monitor", c.monitor))
    return std::nullopt;
  return c;
}

std::optional<Monitor> decode_monitor(const json& e) {
  if (!e.is_object()) return std::nullopt;
  Monitor m;
  const json* focused = member(e, "focused");
  if (!read_int32(e, "id", m.id) || !read_string(e, "name", m.name) || !read_int32(e, "x", m.x) ||
      !read_int32(e, "y", m.y) || !read_int32(e, "width", m.width) ||
      !read_int32(e, "height", m.height) || !focused || !focused->is_boolean())
    return std::nullopt;
  m.focused = focused->get<bool>();
  return m;
}

std::optional<Layer> decode_layer(const json& e, const std::string& monitor) {
  if (!e.is_object()) return std::nullopt;
  Layer l;
  l.monitor = monitor;
  if (!read_string(e, "namespace", l.namespace_)) return std::nullopt;
  std::int32_t* fields[] = {&l.x, &l.y, &l.w, &l.h};
  const char* keys[] = {"x", "y", "w", "h"};
  for (std::size_t i = 0; i < 4; ++i) {
    const json* v = member(e, keys[i]);
    if (!v) return std::nullopt;
    auto n = as_low_int32(*v);
    if (!n) return std::nullopt;
    *fields[i] = *n;
  }
  return l;
}

template <typename T, typename Decode>
std::vector<T> decode_all(const json& doc, Decode decode) {
  std::vector<T> out;
  if (!doc.is_array()) return out;
  out.reserve(doc.size());
  for (const auto& e : doc) {
    auto v = decode(e);
    if (!v) return {};
    out.push_back(std::move(*v));
  }
  return out;
}

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the Unicode white-space character starting at `s`, or 0. Matching the encoded
// bytes is safe on UTF-8 because a lead byte never occurs inside another character.
std::size_t white_space_length(std::string_view s) {
  static constexpr std::string_view kWide[] = {
      "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
      "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A",
      "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
  };
  const char c = s.front();
  if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
  for (auto w : kWide)
    if (s.starts_with(w)) return w.size();
  return 0;
}

std::string normalise_key(std::string piece) {
  std::string lower = piece;
  std::ranges::transform(lower, lower.begin(), ascii_lower);
  if (lower == "enter" || lower == "return") return "RETURN";
  if (lower == "space") return "SPACE";
  if (lower == "backspace") return "BACKSPACE";
  std::ranges::transform(piece, piece.begin(), ascii_upper);
  return piece;
}

}  // namespace

std::optional<nlohmann::json> parse_hyprctl_json(std::string_view text) {
  // Keys seen in each object that is still open, innermost last.
  std::vector<std::set<std::string>> open_keys;
  std::vector<bool> repeated;
  json::parser_callback_t mark_repeats = [&](int, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
        open_keys.emplace_back();
        repeated.push_back(false);
        break;
      case json::parse_event_t::key:
        if (!open_keys.back().insert(parsed.get<std::string>()).second) repeated.back() = true;
        break;
      case json::parse_event_t::object_end:
        if (repeated.back()) parsed = nullptr;
        open_keys.pop_back();
        repeated.pop_back();
        break;
      default:
        break;
    }
    return true;
  };
  json doc = json::parse(text.begin(), text.end(), mark_repeats, /*allow_exceptions=*/false);
  if (doc.is_discarded()) return std::nullopt;
  return doc;
}

std::vector<Layer> decode_layers(const nlohmann::json& doc) {
  std::vector<Layer> out;
  if (!doc.is_object()) return out;
  // nlohmann keeps object members in std::map order, which is byte order of the keys.
  for (const auto& [monitor, entry] : doc.items()) {
    if (!entry.is_object()) continue;
    const json* levels = member(entry, "levels");
    if (!levels || !levels->is_object()) continue;
    for (const auto& [level, surfaces] : levels->items()) {
      if (!surfaces.is_array()) continue;
      for (const auto& e : surfaces)
        if (auto layer = decode_layer(e, monitor)) out.push_back(std::move(*layer));
    }
  }
  return out;
}

std::vector<Client> decode_clients(const nlohmann::json& doc) {
  return decode_all<Client>(doc, decode_client);
}

std::vector<Monitor> decode_monitors(const nlohmann::json& doc) {
  return decode_all<Monitor>(doc, decode_monitor);
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

const Layer* find_layer(const std::vector<Layer>& layers, std::string_view namespace_) {
  auto it = std::ranges::find(layers, namespace_, &Layer::namespace_);
  return it == layers.end() ? nullptr : &*it;
}

const Client* find_client(const std::vector<Client>& clients, std::string_view class_) {
  auto it = std::ranges::find_if(
      clients, [&](const Client& c) { return equal_ignoring_ascii_case(c.class_, class_); });
  return it == clients.end() ? nullptr : &*it;
}

const Monitor* find_monitor(const std::vector<Monitor>& monitors, std::int32_t id) {
  auto it = std::ranges::find(monitors, id, &Monitor::id);
  return it == monitors.end() ? nullptr : &*it;
}

std::string bind_keys(std::string_view combo) {
  std::vector<std::string> pieces;
  std::string piece;
  while (!combo.empty()) {
    std::size_t skip = combo.front() == '+' ? 1 : white_space_length(combo);
    if (skip > 0) {
      if (!piece.empty()) pieces.push_back(normalise_key(std::move(piece)));
      piece.clear();
      combo.remove_prefix(skip);
      continue;
    }
    piece.push_back(combo.front());
    combo.remove_prefix(1);
  }
  if (!piece.empty()) pieces.push_back(normalise_key(std::move(piece)));

  if (pieces.empty()) return {};
  std::string keys;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (i > 0) keys.push_back('_');
    keys += pieces[i];
  }
  if (pieces.size() > 1) keys.push_back(',');
  keys += pieces.back();
  return keys;
}

std::string binding_keys(std::string_view combo) {
  std::string keys = bind_keys(combo);
  if (!keys.empty() && keys.find(',') == std::string::npos) keys.insert(keys.begin(), ',');
  return keys;
}

}  // namespace marlguide::services

#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <toml++/toml.hpp>
#include <utility>
#include <vector>

// The one decoding layer of every content file: a parsed TOML table or JSON object is read
// field by field into a record. Required keys must be present, optional keys fall back to
// their defaults, unknown keys are ignored, and every failure becomes one line of text that
// names the key and ends with the line and column of the fault.
namespace marlguide::content {

// Thrown by the field readers while a record is decoded. `decode_toml` and `decode_json`
// catch it and return its text as an error value; it never leaves this layer.
struct DecodeError {
  std::string text;
};

struct SourcePos {
  std::uint32_t line = 0;  // 1-based; 0 when unknown
  std::uint32_t column = 0;
};

// " at line L, column C", or nothing for an unknown position.
std::string at(SourcePos pos);

// The fields of one TOML table. A key given twice never reaches this point: the TOML reader
// rejects the document, and `parse_toml` words that error "duplicate field `key`".
class TomlFields {
 public:
  explicit TomlFields(const toml::table& table) : table_(&table) {}

  std::string string(std::string_view key) const;
  std::optional<std::string> optional_string(std::string_view key) const;
  std::vector<std::string> string_list(std::string_view key) const;  // absent: empty
  std::optional<std::uint32_t> optional_u32(std::string_view key) const;
  std::optional<std::uint64_t> optional_u64(std::string_view key) const;
  std::optional<bool> optional_bool(std::string_view key) const;
  std::optional<TomlFields> optional_table(std::string_view key) const;
  std::vector<TomlFields> table_list(std::string_view key) const;  // absent: empty

  // Rejects the value of `key` with "invalid value for `key`: <message>".
  [[noreturn]] void invalid_value(std::string_view key, std::string_view message) const;

 private:
  const toml::node* find(std::string_view key) const;
  const toml::node& require(std::string_view key) const;
  [[noreturn]] void wrong_type(std::string_view key, const toml::node& node,
                               std::string_view expected) const;

  const toml::table* table_;
};

// Parses a TOML document; syntax errors end with their line and column.
std::expected<toml::table, std::string> parse_toml(std::string_view text);

template <typename T, typename Decode>
std::expected<T, std::string> decode_toml(std::string_view text, Decode&& decode) {
  auto table = parse_toml(text);
  if (!table) return std::unexpected(std::move(table.error()));
  try {
    return std::forward<Decode>(decode)(TomlFields(*table));
  } catch (const DecodeError& e) {
    return std::unexpected(e.text);
  }
}

// A JSON document read strictly (a key given twice in one object is an error), with the
// source position of every value, keyed by its JSON pointer ("" for the root).
struct JsonDocument {
  nlohmann::json value;
  std::map<std::string, SourcePos> positions;
};

std::expected<JsonDocument, std::string> read_json(std::string_view text);

// The fields of one JSON object. JSON null counts as absent wherever the reader says so.
class JsonFields {
 public:
  JsonFields(const nlohmann::json& object, std::string pointer, const JsonDocument& doc);

  // A required string; null is a wrong type.
  std::string string(std::string_view key) const;
  // An optional string; absent or null gives nothing.
  std::optional<std::string> optional_string(std::string_view key) const;
  // An optional string that may not be null; absent gives `fallback`.
  std::string string_or(std::string_view key, std::string fallback) const;
  // An optional list of strings; absent or null gives nothing.
  std::optional<std::vector<std::string>> optional_string_list(std::string_view key) const;
  // An optional list of objects; absent or null gives the empty list.
  std::vector<JsonFields> object_list(std::string_view key) const;

 private:
  const nlohmann::json* find(std::string_view key) const;
  std::string child_pointer(std::string_view key) const;
  [[noreturn]] void wrong_type(std::string_view key, const std::string& pointer,
                               const nlohmann::json& value, std::string_view expected) const;

  const nlohmann::json* object_;
  std::string pointer_;
  const JsonDocument* doc_;
};

// Reads a JSON document whose root must be an object and decodes it.
template <typename T, typename Decode>
std::expected<T, std::string> decode_json(std::string_view text, Decode&& decode) {
  auto doc = read_json(text);
  if (!doc) return std::unexpected(std::move(doc.error()));
  if (!doc->value.is_object()) {
    return std::unexpected(std::string("invalid type: expected an object, found ") +
                           doc->value.type_name() + at(doc->positions[""]));
  }
  try {
    return std::forward<Decode>(decode)(JsonFields(doc->value, "", *doc));
  } catch (const DecodeError& e) {
    return std::unexpected(e.text);
  }
}

}  // namespace marlguide::content

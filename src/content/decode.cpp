#include "content/decode.hpp"

#include <charconv>
#include <format>
#include <limits>
#include <set>
#include <sstream>

#include "util/message.hpp"

namespace marlguide::content {

std::string at(SourcePos pos) {
  if (pos.line == 0) return {};
  return std::format(" at line {}, column {}", pos.line, pos.column);
}

// ---- TOML ----------------------------------------------------------------------------------

namespace {

SourcePos pos_of(const toml::node& node) {
  const auto& begin = node.source().begin;
  return {begin.line, begin.column};
}

std::string_view kind_of(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
      return "an integer";
    case toml::node_type::floating_point:
      return "a float";
    case toml::node_type::boolean:
      return "a boolean";
    case toml::node_type::date:
      return "a date";
    case toml::node_type::time:
      return "a time";
    case toml::node_type::date_time:
      return "a date-time";
    default:
      return "nothing";
  }
}

}  // namespace

std::expected<toml::table, std::string> parse_toml(std::string_view text) {
  try {
    return toml::parse(text);
  } catch (const toml::parse_error& e) {
    const SourcePos pos{e.source().begin.line, e.source().begin.column};
    // The reader quotes the offending input as it is, line breaks included.
    const std::string description = printable(e.description());
    // The reader words a key given twice as a redefinition of the quoted (dotted) key path.
    if (description.find("cannot redefine existing ") != std::string_view::npos) {
      const auto open = description.find('\'');
      const auto close = description.rfind('\'');
      if (open != std::string_view::npos && close > open) {
        std::string_view path = std::string_view(description).substr(open + 1, close - open - 1);
        if (const auto dot = path.rfind('.'); dot != std::string_view::npos)
          path.remove_prefix(dot + 1);
        return std::unexpected(std::format("duplicate field `{}`{}", path, at(pos)));
      }
    }
    return std::unexpected(std::format("{}{}", description, at(pos)));
  }
}

const toml::node* TomlFields::find(std::string_view key) const { return table_->get(key); }

const toml::node& TomlFields::require(std::string_view key) const {
  if (const auto* node = find(key)) return *node;
  throw DecodeError{std::format("missing field `{}`{}", key, at(pos_of(*table_)))};
}

void TomlFields::wrong_type(std::string_view key, const toml::node& node,
                            std::string_view expected) const {
  throw DecodeError{std::format("invalid type for `{}`: expected {}, found {}{}", key, expected,
                                kind_of(node), at(pos_of(node)))};
}

void TomlFields::invalid_value(std::string_view key, std::string_view message) const {
  const auto* node = find(key);
  // The message may quote the value as written, which can hold line breaks.
  throw DecodeError{std::format("invalid value for `{}`: {}{}", key, printable(message),
                                at(node ? pos_of(*node) : pos_of(*table_)))};
}

std::string TomlFields::string(std::string_view key) const {
  const auto& node = require(key);
  if (const auto* s = node.as_string()) return s->get();
  wrong_type(key, node, "a string");
}

std::optional<std::string> TomlFields::optional_string(std::string_view key) const {
  if (!find(key)) return std::nullopt;
  return string(key);
}

std::vector<std::string> TomlFields::string_list(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return {};
  const auto* array = node->as_array();
  if (!array) wrong_type(key, *node, "an array of strings");
  std::vector<std::string> out;
  out.reserve(array->size());
  for (const auto& item : *array) {
    const auto* s = item.as_string();
    if (!s) wrong_type(key, item, "a string");
    out.push_back(s->get());
  }
  return out;
}

std::optional<std::uint32_t> TomlFields::optional_u32(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return std::nullopt;
  const auto* integer = node->as_integer();
  if (!integer) wrong_type(key, *node, "an unsigned 32-bit integer");
  const std::int64_t v = integer->get();
  if (v < 0 || v > std::numeric_limits<std::uint32_t>::max())
    invalid_value(key, std::format("expected an integer from 0 to 4294967295, found {}", v));
  return static_cast<std::uint32_t>(v);
}

std::optional<std::uint64_t> TomlFields::optional_u64(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return std::nullopt;
  const auto* integer = node->as_integer();
  if (!integer) wrong_type(key, *node, "a non-negative integer");
  const std::int64_t v = integer->get();
  if (v < 0) invalid_value(key, std::format("expected a non-negative integer, found {}", v));
  return static_cast<std::uint64_t>(v);
}

std::optional<bool> TomlFields::optional_bool(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return std::nullopt;
  if (const auto* b = node->as_boolean()) return b->get();
  wrong_type(key, *node, "a boolean");
}

std::optional<TomlFields> TomlFields::optional_table(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return std::nullopt;
  if (const auto* t = node->as_table()) return TomlFields(*t);
  wrong_type(key, *node, "a table");
}

std::vector<TomlFields> TomlFields::table_list(std::string_view key) const {
  const auto* node = find(key);
  if (!node) return {};
  const auto* array = node->as_array();
  if (!array) wrong_type(key, *node, "an array of tables");
  std::vector<TomlFields> out;
  out.reserve(array->size());
  for (const auto& item : *array) {
    const auto* t = item.as_table();
    if (!t) wrong_type(key, item, "a table");
    out.emplace_back(*t);
  }
  return out;
}

// ---- JSON ----------------------------------------------------------------------------------

namespace {

using nlohmann::json;

std::string escape_pointer_token(std::string_view token) {
  std::string out;
  for (char c : token) {
    if (c == '~')
      out += "~0";
    else if (c == '/')
      out += "~1";
    else
      out += c;
  }
  return out;
}

// nlohmann's own wording begins "[json.exception.parse_error.101] parse error at line L,
// column C: "; the position goes to the end, where every message of this layer has it.
std::string reword_parse_error(std::string_view what) {
  constexpr std::string_view kLine = "at line ";
  constexpr std::string_view kColumn = ", column ";
  const auto line_at = what.find(kLine);
  if (line_at == std::string_view::npos) return std::string(what);
  const char* p = what.data() + line_at + kLine.size();
  const char* end = what.data() + what.size();
  std::uint32_t line = 0, column = 0;
  auto r = std::from_chars(p, end, line);
  if (r.ec != std::errc{} || !std::string_view(r.ptr, end).starts_with(kColumn))
    return std::string(what);
  r = std::from_chars(r.ptr + kColumn.size(), end, column);
  if (r.ec != std::errc{} || !std::string_view(r.ptr, end).starts_with(": "))
    return std::string(what);
  return std::format("{}{}", std::string_view(r.ptr + 2, end), at({line, column}));
}

// Builds the document from the reader's events, refusing a key given twice in one object and
// noting where each value starts. The reader pulls the text one character at a time from the
// stream, so the stream's offset tells how far it has read at every event.
class StrictReader final : public nlohmann::json_sax<json> {
 public:
  StrictReader(std::string_view text, std::istream& in) : text_(text), in_(in) {}

  bool null() override { return put(nullptr); }
  bool boolean(bool v) override { return put(v); }
  bool number_integer(number_integer_t v) override { return put(v); }
  bool number_unsigned(number_unsigned_t v) override { return put(v); }
  bool number_float(number_float_t v, const string_t&) override { return put(v); }
  bool string(string_t& v) override { return put(std::move(v)); }
  bool binary(binary_t& v) override { return put(json::binary(std::move(v))); }

  bool start_object(std::size_t) override {
    json* object = place(json::object());
    frames_.push_back(Frame{object, last_pointer_, {}, {}, 0});
    return true;
  }

  bool key(string_t& k) override {
    const SourcePos pos = token_start();
    Frame& frame = frames_.back();
    if (!frame.keys.insert(k).second) {
      error_ = std::format("duplicate field `{}`{}", k, at(pos));
      return false;
    }
    frame.key = k;
    return true;
  }

  bool end_object() override { return close(); }

  bool start_array(std::size_t) override {
    json* array = place(json::array());
    frames_.push_back(Frame{array, last_pointer_, {}, {}, 0});
    return true;
  }

  bool end_array() override { return close(); }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    error_ = reword_parse_error(e.what());
    return false;
  }

  json& root() { return root_; }
  std::map<std::string, SourcePos>& positions() { return positions_; }
  const std::string& error() const { return error_; }

 private:
  struct Frame {
    json* value;
    std::string pointer;
    std::set<std::string> keys;
    std::string key;
    std::size_t index;
  };

  std::size_t consumed() const {
    const auto off = in_.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    return off < 0 ? 0 : static_cast<std::size_t>(off);
  }

  // The start of the token just read: the first character after the previous event that is
  // not a separator. The reader may have read one character past a number, but never past
  // the start of the next token.
  SourcePos token_start() {
    std::size_t i = std::min(previous_, text_.size());
    while (i < text_.size() &&
           std::string_view(" \t\r\n:,").find(text_[i]) != std::string_view::npos)
      ++i;
    previous_ = consumed();
    return position_of(i);
  }

  SourcePos position_of(std::size_t offset) const {
    offset = std::min(offset, text_.size());
    const std::string_view before = text_.substr(0, offset);
    const auto line_start = before.rfind('\n');
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t column =
        offset - (line_start == std::string_view::npos ? 0 : line_start + 1) + 1;
    return {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(column)};
  }

  json* place(json value) {
    const SourcePos pos = token_start();
    json* slot = nullptr;
    if (frames_.empty()) {
      root_ = std::move(value);
      slot = &root_;
      last_pointer_.clear();
    } else if (Frame& frame = frames_.back(); frame.value->is_object()) {
      slot = &((*frame.value)[frame.key] = std::move(value));
      last_pointer_ = frame.pointer + "/" + escape_pointer_token(frame.key);
    } else {
      frame.value->push_back(std::move(value));
      slot = &frame.value->back();
      last_pointer_ = frame.pointer + "/" + std::to_string(frame.index++);
    }
    positions_[last_pointer_] = pos;
    return slot;
  }

  bool put(json value) {
    place(std::move(value));
    return true;
  }

  bool close() {
    frames_.pop_back();
    previous_ = consumed();
    return true;
  }

  std::string_view text_;
  std::istream& in_;
  json root_;
  std::vector<Frame> frames_;
  std::map<std::string, SourcePos> positions_;
  std::string last_pointer_;
  std::size_t previous_ = 0;
  std::string error_;
};

std::string_view kind_of(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::object:
      return "an object";
    case json::value_t::array:
      return "an array";
    case json::value_t::string:
      return "a string";
    case json::value_t::boolean:
      return "a boolean";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
      return "an integer";
    case json::value_t::number_float:
      return "a float";
    default:
      return "an unusable value";
  }
}

}  // namespace

std::expected<JsonDocument, std::string> read_json(std::string_view text) {
  std::istringstream in{std::string(text)};
  StrictReader reader(text, in);
  if (!json::sax_parse(in, &reader, json::input_format_t::json, /*strict=*/true)) {
    return std::unexpected(reader.error().empty() ? std::string("unreadable JSON")
                                                  : reader.error());
  }
  return JsonDocument{std::move(reader.root()), std::move(reader.positions())};
}

JsonFields::JsonFields(const json& object, std::string pointer, const JsonDocument& doc)
    : object_(&object), pointer_(std::move(pointer)), doc_(&doc) {}

const json* JsonFields::find(std::string_view key) const {
  const auto it = object_->find(key);
  return it == object_->end() ? nullptr : &*it;
}

std::string JsonFields::child_pointer(std::string_view key) const {
  return pointer_ + "/" + escape_pointer_token(key);
}

void JsonFields::wrong_type(std::string_view key, const std::string& pointer, const json& value,
                            std::string_view expected) const {
  const auto it = doc_->positions.find(pointer);
  throw DecodeError{std::format("invalid type for `{}`: expected {}, found {}{}", key, expected,
                                kind_of(value),
                                at(it == doc_->positions.end() ? SourcePos{} : it->second))};
}

std::string JsonFields::string(std::string_view key) const {
  const json* value = find(key);
  if (!value) {
    const auto it = doc_->positions.find(pointer_);
    throw DecodeError{std::format("missing field `{}`{}", key,
                                  at(it == doc_->positions.end() ? SourcePos{} : it->second))};
  }
  if (!value->is_string()) wrong_type(key, child_pointer(key), *value, "a string");
  return value->get<std::string>();
}

std::optional<std::string> JsonFields::optional_string(std::string_view key) const {
  const json* value = find(key);
  if (!value || value->is_null()) return std::nullopt;
  return string(key);
}

std::string JsonFields::string_or(std::string_view key, std::string fallback) const {
  if (!find(key)) return fallback;
  return string(key);
}

std::optional<std::vector<std::string>> JsonFields::optional_string_list(
    std::string_view key) const {
  const json* value = find(key);
  if (!value || value->is_null()) return std::nullopt;
  const std::string pointer = child_pointer(key);
  if (!value->is_array()) wrong_type(key, pointer, *value, "an array of strings");
  std::vector<std::string> out;
  out.reserve(value->size());
  for (std::size_t i = 0; i < value->size(); ++i) {
    const json& item = (*value)[i];
    if (!item.is_string()) wrong_type(key, pointer + "/" + std::to_string(i), item, "a string");
    out.push_back(item.get<std::string>());
  }
  return out;
}

std::vector<JsonFields> JsonFields::object_list(std::string_view key) const {
  const json* value = find(key);
  if (!value || value->is_null()) return {};
  const std::string pointer = child_pointer(key);
  if (!value->is_array()) wrong_type(key, pointer, *value, "an array of objects");
  std::vector<JsonFields> out;
  out.reserve(value->size());
  for (std::size_t i = 0; i < value->size(); ++i) {
    const json& item = (*value)[i];
    std::string item_pointer = pointer + "/" + std::to_string(i);
    if (!item.is_object()) wrong_type(key, item_pointer, item, "an object");
    out.emplace_back(item, std::move(item_pointer), *doc_);
  }
  return out;
}

}  // namespace marlguide::content

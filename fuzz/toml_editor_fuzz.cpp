// The lossless TOML editor: any edit of any document it can read either leaves a text that
// parses to the old values with exactly that change, or is refused for one of the reasons it
// documents and leaves the text as it was.
//
// Input layout, so that the fuzzer can reach both the edits and the document:
//   count (1 byte, 1 to 4 edits), then per edit:
//     op (1 byte: even removes; odd sets, with (op >> 1) % 3 picking text, integer or boolean)
//     table length (1 byte) and bytes, key length (1 byte) and bytes,
//     for a set: text length (1 byte) and bytes, 8 bytes of integer, or 1 byte of boolean;
//   then the document, to the end of the input.

#include <glib.h>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <toml++/toml.hpp>
#include <vector>

#include "check.hpp"
#include "config/toml_document.hpp"

using namespace marlguide;
using fuzz::check;

namespace {

struct Edit {
  bool set = false;
  std::string table, key;
  config::TomlValue value;
};

class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  std::optional<std::uint8_t> byte() {
    if (data_.empty()) return std::nullopt;
    const auto b = static_cast<std::uint8_t>(data_.front());
    data_.remove_prefix(1);
    return b;
  }
  std::optional<std::string> bytes(std::size_t n) {
    if (data_.size() < n) return std::nullopt;
    std::string out(data_.substr(0, n));
    data_.remove_prefix(n);
    return out;
  }
  std::optional<std::string> counted() {
    const auto n = byte();
    return n ? bytes(*n) : std::nullopt;
  }
  std::string_view rest() const { return data_; }

 private:
  std::string_view data_;
};

std::optional<Edit> read_edit(Reader& in) {
  const auto op = in.byte();
  if (!op) return std::nullopt;
  auto table = in.counted();
  auto key = table ? in.counted() : std::nullopt;
  if (!key) return std::nullopt;
  Edit edit{(*op & 1) != 0, std::move(*table), std::move(*key), {}};
  if (!edit.set) return edit;
  switch ((*op >> 1) % 3) {
    case 0: {
      auto text = in.counted();
      if (!text) return std::nullopt;
      edit.value = std::move(*text);
      break;
    }
    case 1: {
      auto raw = in.bytes(8);
      if (!raw) return std::nullopt;
      std::int64_t i = 0;
      std::memcpy(&i, raw->data(), sizeof i);
      edit.value = i;
      break;
    }
    default: {
      auto b = in.byte();
      if (!b) return std::nullopt;
      edit.value = (*b & 1) != 0;
    }
  }
  return edit;
}

// Value equality written independently of the editor's own check; NaN equals NaN, and the
// inline or standard form of a table does not count.
bool equal(const toml::node& a, const toml::node& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case toml::node_type::table: {
      const auto &x = *a.as_table(), &y = *b.as_table();
      if (x.size() != y.size()) return false;
      for (auto&& [k, v] : x) {
        const toml::node* w = y.get(k.str());
        if (w == nullptr || !equal(v, *w)) return false;
      }
      return true;
    }
    case toml::node_type::array: {
      const auto &x = *a.as_array(), &y = *b.as_array();
      if (x.size() != y.size()) return false;
      for (std::size_t i = 0; i < x.size(); ++i)
        if (!equal(x[i], y[i])) return false;
      return true;
    }
    case toml::node_type::floating_point: {
      const double x = a.as_floating_point()->get(), y = b.as_floating_point()->get();
      return x == y || (std::isnan(x) && std::isnan(y));
    }
    case toml::node_type::string:
      return a.as_string()->get() == b.as_string()->get();
    case toml::node_type::integer:
      return a.as_integer()->get() == b.as_integer()->get();
    case toml::node_type::boolean:
      return a.as_boolean()->get() == b.as_boolean()->get();
    case toml::node_type::date:
      return a.as_date()->get() == b.as_date()->get();
    case toml::node_type::time:
      return a.as_time()->get() == b.as_time()->get();
    case toml::node_type::date_time:
      return a.as_date_time()->get() == b.as_date_time()->get();
    case toml::node_type::none:
      return true;
  }
  return false;
}

// GLib's check, on the pieces between NUL bytes (U+0000 is a character, GLib stops at it).
bool valid_utf8(std::string_view s) {
  while (true) {
    const auto nul = s.find('\0');
    const std::string_view piece = s.substr(0, nul);
    if (!g_utf8_validate_len(piece.data(), piece.size(), nullptr)) return false;
    if (nul == std::string_view::npos) return true;
    s.remove_prefix(nul + 1);
  }
}

void put(toml::table& t, std::string_view key, const config::TomlValue& value) {
  std::visit([&](const auto& v) { t.insert_or_assign(key, v); }, value);
}

toml::table reparse(const std::string& text) {
  try {
    return toml::parse(text);
  } catch (const toml::parse_error&) {
    check(false, "the edited text parses");
  }
  return {};
}

// The text of a node's first line from where the node begins (columns count code points).
std::string from_node(std::string_view text, const toml::node& n) {
  const auto& begin = n.source().begin;
  std::size_t at = 0;
  for (toml::source_index line = 1; line < begin.line; ++line) {
    at = text.find('\n', at);
    if (at == std::string_view::npos) return {};
    ++at;
  }
  if (begin.line == 1 && text.starts_with("\xEF\xBB\xBF")) at += 3;
  const std::size_t line_start = at;
  for (toml::source_index col = 1; col < begin.column && at < text.size(); ++col) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  const std::string_view before = text.substr(line_start, at - line_start);
  // Mark nodes that open their line (section headers) with a leading newline.
  const bool opens_line = before.find_first_not_of(" \t") == std::string_view::npos;
  std::string out(opens_line ? "\n" : "");
  out += text.substr(at, text.find('\n', at) - at);
  return out;
}

// `[[name]]` sections, not an inline array of inline tables.
bool header_array(std::string_view text, const toml::node* n) {
  return n != nullptr && n->is_array_of_tables() && from_node(text, *n).starts_with("\n[[");
}

// A table written with a header or dotted keys, not an inline table.
bool spread_table(std::string_view text, const toml::node* n) {
  return n != nullptr && n->is_table() && !from_node(text, *n).starts_with("{");
}

// The editor refuses only where no single span of the text can be rewritten.
bool documented_refusal(const std::string& error, const Edit& edit, std::string_view text,
                        const toml::table& old) {
  const toml::node* table = old.get(edit.table);
  if (error.ends_with("is an array of tables")) return header_array(text, table);
  if (error.ends_with("is a table")) {
    const toml::node* child =
        table != nullptr && table->is_table() ? table->as_table()->get(edit.key) : nullptr;
    return header_array(text, child) || spread_table(text, child);
  }
  if (edit.set && error == "the name to store is not valid UTF-8") {
    check(!valid_utf8(edit.table) || !valid_utf8(edit.key),
          "only names that are not UTF-8 are refused as such");
    return true;
  }
  if (edit.set && error == "the text to store is not valid UTF-8") {
    check(!valid_utf8(std::get<std::string>(edit.value)),
          "only texts that are not UTF-8 are refused as such");
    return true;
  }
  return false;
}

void apply(config::TomlDocument& doc, const Edit& edit) {
  const std::string before = doc.text();
  const toml::table old_values = reparse(before);

  toml::table expected = old_values;
  if (edit.set) {
    const toml::node* node = expected.get(edit.table);
    if (node == nullptr || !node->is_table()) {
      toml::table fresh;
      put(fresh, edit.key, edit.value);
      expected.insert_or_assign(edit.table, std::move(fresh));
    } else {
      put(*expected.get(edit.table)->as_table(), edit.key, edit.value);
    }
  } else if (auto* t = expected.get(edit.table); t != nullptr && t->is_table()) {
    t->as_table()->erase(edit.key);
  }

  std::string error;
  if (edit.set) {
    auto done = doc.set(edit.table, edit.key, edit.value);
    if (!done) error = done.error();
  } else {
    auto done = doc.remove(edit.table, edit.key);
    if (!done) error = done.error();
  }

  if (!error.empty()) {
    check(documented_refusal(error, edit, before, old_values), error);
    check(doc.text() == before, "a refused edit leaves the text as it was");
    return;
  }
  const toml::table after = reparse(doc.text());
  check(equal(after, expected), "the edited text holds the old values with the change");
  check(equal(doc.root(), expected), "the document's values are those of its text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto count = in.byte();
  if (!count) return -1;
  std::vector<Edit> edits;
  for (int i = 0; i < *count % 4 + 1; ++i) {
    auto edit = read_edit(in);
    if (!edit) return -1;
    edits.push_back(std::move(*edit));
  }
  auto doc = config::TomlDocument::parse(std::string(in.rest()));
  if (!doc) return -1;
  for (const auto& edit : edits) apply(*doc, edit);
  return 0;
}

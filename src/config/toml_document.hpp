#pragma once

#include <toml++/toml.hpp>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace marlguide::config {

// A value the program writes. Texts become basic (double-quoted) strings, integers decimal.
using TomlValue = std::variant<std::string, std::int64_t, bool>;

// What an edit had to do beyond the change it was asked for.
struct TomlEdit {
  // The source text of a value that gave way because a table was needed where the file held
  // something else (say `general = "big"`). Empty when nothing was displaced.
  std::optional<std::string> displaced;
};

// A TOML document kept as the text it was read from, with the values toml++ parsed from it.
// Edits change the text at the exact spans of the keys and values involved, so comments, blank
// lines, spacing, key order, quoting and unknown content stay byte for byte as they were.
// Every edit is checked by parsing the new text again: an edit whose result would not hold
// exactly the old values plus the change is refused and the document stays as it was.
class TomlDocument {
 public:
  // The empty document.
  TomlDocument() = default;

  // Parses strict TOML 1.0. The error is one line with toml++'s description, line and column.
  static std::expected<TomlDocument, std::string> parse(std::string text);

  const std::string& text() const { return text_; }
  const toml::table& root() const { return *root_; }

  // Puts `value` under `key` of the root's table `table`, replacing a value of any type in
  // place. A missing key goes at the end of its table; a missing table is created as an inline
  // table of the root, among the root's keys. A table name that holds a plain value has that
  // value replaced by an inline table (reported in the result). Refused, leaving the document
  // unchanged, where no single span can be rewritten: `table` is an array of tables, or `key`
  // names a table written with headers or dotted keys; and where a name or the text to store is
  // not valid UTF-8, which TOML cannot hold.
  std::expected<TomlEdit, std::string> set(std::string_view table, std::string_view key,
                                           const TomlValue& value);

  // Removes `key` from the root's table `table` with its own line (in a standard table) or its
  // own comma (in an inline table); the table itself stays, possibly empty. A missing table or
  // key is nothing to remove. Refused where the key names a table written with headers or
  // dotted keys.
  std::expected<void, std::string> remove(std::string_view table, std::string_view key);

 private:
  TomlDocument(std::string text, toml::table root)
      : text_(std::move(text)), root_(std::make_shared<const toml::table>(std::move(root))) {}
  std::expected<void, std::string> commit(std::string text, const toml::table& expected);

  std::string text_;
  // Shared, never changed: toml++ drops source positions when a tree is copied, and the edits
  // need them, so copies of a document share the tree parsed from their text.
  std::shared_ptr<const toml::table> root_ = std::make_shared<const toml::table>();
};

// The byte offset in `text` of a toml++ source position: lines count from 1, columns from 1 in
// code points; a leading byte-order mark is not part of line 1.
std::size_t byte_offset(std::string_view text, const toml::source_position& position);

// Whether two nodes hold the same values (tables by key, arrays by position; NaN equals NaN).
// Formatting and the inline or standard form of tables do not count.
bool same_values(const toml::node& a, const toml::node& b);

}  // namespace marlguide::config

#include "config/toml_document.hpp"

#include <algorithm>
#include <cmath>
#include <format>
#include <vector>

#include "util/message.hpp"
#include "util/utf8.hpp"

namespace marlguide::config {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kDisturbs =
    "the change could not be made without disturbing the rest of the file";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_space(char c) { return is_blank(c) || c == '\n' || c == '\r'; }

// How a node is written in the text, which decides how it can be edited.
enum class Shape {
  Value,        // a scalar or an inline array after `key =`: one span
  InlineTable,  // `{ ... }` after `key =`: one span with room for more keys
  HeaderTable,  // introduced by its own `[name]` header
  DottedTable,  // made by dotted keys, or only implied by a deeper header
  TableArray,   // `[[name]]` sections
};

bool spans_one_region(Shape s) { return s == Shape::Value || s == Shape::InlineTable; }

// Where things are in the text of one document.
class Layout {
 public:
  explicit Layout(std::string_view text) : text_(text) {
    starts_.push_back(text.starts_with(kBom) ? kBom.size() : 0);
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') starts_.push_back(i + 1);
    const auto first_break = text.find('\n');
    if (first_break != std::string_view::npos && first_break > 0 && text[first_break - 1] == '\r')
      eol_ = "\r\n";
  }

  std::size_t offset(const toml::source_position& p) const {
    if (p.line == 0) return 0;
    std::size_t i = starts_[std::min<std::size_t>(p.line - 1, starts_.size() - 1)];
    for (toml::source_index col = 1; col < p.column && i < text_.size(); ++col) {
      ++i;
      while (i < text_.size() && (static_cast<unsigned char>(text_[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
  }
  std::size_t begin(const toml::node& n) const { return offset(n.source().begin); }
  std::size_t end(const toml::node& n) const { return offset(n.source().end); }

  std::size_t line_start(std::size_t off) const {
    const auto nl = off == 0 ? std::string_view::npos : text_.rfind('\n', off - 1);
    if (nl != std::string_view::npos) return nl + 1;
    return std::min(starts_.front(), off);
  }
  // The first byte after the line that holds `off`, or npos when that line is the last one and
  // has no line break.
  std::size_t after_line(std::size_t off) const {
    const auto nl = text_.find('\n', off);
    return nl == std::string_view::npos ? nl : nl + 1;
  }
  std::size_t first_non_blank(std::size_t line_start) const {
    std::size_t i = line_start;
    while (i < text_.size() && is_blank(text_[i])) ++i;
    return i;
  }
  std::string_view indent_of(std::size_t off) const {
    const auto start = line_start(off);
    return text_.substr(start, first_non_blank(start) - start);
  }
  char at(std::size_t off) const { return off < text_.size() ? text_[off] : '\0'; }
  std::string_view text() const { return text_; }
  std::string_view eol() const { return eol_; }

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
  std::string_view eol_ = "\n";
};

bool descendant_begins_at(const toml::node& n, const toml::source_position& p) {
  auto same = [&](const toml::node& c) {
    return c.source().begin.line == p.line && c.source().begin.column == p.column;
  };
  if (auto* t = n.as_table()) {
    for (auto&& [k, child] : *t)
      if ((child.is_table() || child.is_array()) && (same(child) || descendant_begins_at(child, p)))
        return true;
  } else if (auto* a = n.as_array()) {
    for (auto&& child : *a)
      if (child.is_table() && (same(child) || descendant_begins_at(child, p))) return true;
  }
  return false;
}

Shape shape_of(const Layout& l, const toml::node& n) {
  const std::size_t b = l.begin(n);
  if (n.is_table()) {
    if (l.at(b) == '{') return Shape::InlineTable;
    // A table made only as the parent of a deeper header shares that header's position.
    if (l.at(b) == '[' && !descendant_begins_at(n, n.source().begin)) return Shape::HeaderTable;
    return Shape::DottedTable;
  }
  // A value always follows `key =` on its line; `[[name]]` starts its line.
  if (n.is_array() && b == l.first_non_blank(l.line_start(b))) return Shape::TableArray;
  return Shape::Value;
}

struct Span {
  std::size_t begin, end;
};

// The spans of every value written as `key = value` in the standard sections of the
// document, and where each section header starts.
struct Outline {
  std::vector<Span> entries;
  std::vector<std::size_t> headers;  // line starts, ascending
};

void outline_table(const Layout& l, const toml::table& t, Outline& out) {
  for (auto&& [k, child] : t) {
    switch (shape_of(l, child)) {
      case Shape::Value:
      case Shape::InlineTable:
        out.entries.push_back({l.begin(child), l.end(child)});
        break;
      case Shape::HeaderTable:
      case Shape::DottedTable:
        if (l.at(l.begin(child)) == '[') out.headers.push_back(l.line_start(l.begin(child)));
        outline_table(l, *child.as_table(), out);
        break;
      case Shape::TableArray:
        for (auto&& element : *child.as_array()) {
          if (!element.is_table()) continue;
          out.headers.push_back(l.line_start(l.begin(element)));
          outline_table(l, *element.as_table(), out);
        }
        break;
    }
  }
}

Outline outline(const Layout& l, const toml::table& root) {
  Outline out;
  outline_table(l, root, out);
  std::ranges::sort(out.headers);
  const auto dup = std::ranges::unique(out.headers);
  out.headers.erase(dup.begin(), dup.end());
  return out;
}

// The last entry that starts within [from, to).
std::optional<Span> last_entry(const std::vector<Span>& entries, std::size_t from, std::size_t to) {
  std::optional<Span> last;
  for (const auto& e : entries)
    if (e.begin >= from && e.begin < to && (!last || e.end > last->end)) last = e;
  return last;
}

// One replacement of a byte range.
struct Splice {
  std::size_t begin = 0, end = 0;
  std::string text;

  std::string apply(std::string_view source) const {
    std::string out;
    out.reserve(source.size() + text.size());
    out.append(source.substr(0, begin)).append(text).append(source.substr(end));
    return out;
  }
};

// A new line after the last line of an entry, indented like the entry.
Splice line_after(const Layout& l, Span entry, std::string_view line) {
  const std::string indent(l.indent_of(entry.begin));
  const auto at = l.after_line(entry.end);
  if (at == std::string_view::npos) {
    const auto end = l.text().size();
    return {end, end, std::format("{}{}{}", l.eol(), indent, line)};
  }
  return {at, at, std::format("{}{}{}", indent, line, l.eol())};
}

// Where a new key of the root goes: after the root's last key, else before the first header
// (and the comment lines directly above it, which belong to that header), else at the end.
Splice root_line(const Layout& l, const Outline& o, std::string_view line) {
  const std::size_t first_header = o.headers.empty() ? l.text().size() : o.headers.front();
  if (auto last = last_entry(o.entries, 0, first_header)) return line_after(l, *last, line);
  if (o.headers.empty()) {
    const auto end = l.text().size();
    if (l.text().empty()) return {0, 0, std::format("{}\n", line)};
    if (l.text().ends_with('\n')) return {end, end, std::format("{}{}", line, l.eol())};
    return {end, end, std::format("{}{}", l.eol(), line)};
  }
  std::size_t at = first_header;
  while (at > 0) {
    const auto prev = l.line_start(at - 1);
    if (l.at(l.first_non_blank(prev)) != '#') break;
    at = prev;
  }
  return {at, at, std::format("{}{}", line, l.eol())};
}

bool is_bare_key(std::string_view key) {
  return !key.empty() && std::ranges::all_of(key, [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
  });
}

std::string basic_string(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
          out += std::format("\\u{:04X}", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
          out += c;
    }
  }
  out += '"';
  return out;
}

std::string format_key(std::string_view key) {
  return is_bare_key(key) ? std::string(key) : basic_string(key);
}

std::expected<std::string, std::string> format_value(const TomlValue& value) {
  if (auto* s = std::get_if<std::string>(&value)) {
    if (!is_valid_utf8(*s)) return std::unexpected("the text to store is not valid UTF-8");
    return basic_string(*s);
  }
  if (auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  return std::get<bool>(value) ? "true" : "false";
}

void put(toml::table& t, std::string_view key, const TomlValue& value) {
  std::visit([&](const auto& v) { t.insert_or_assign(key, v); }, value);
}

std::string quoted_path(std::string_view table, std::string_view key = {}) {
  return key.empty() ? std::format("\"{}\"", table) : std::format("\"{}.{}\"", table, key);
}

}  // namespace

std::size_t byte_offset(std::string_view text, const toml::source_position& position) {
  return Layout(text).offset(position);
}

bool same_values(const toml::node& a, const toml::node& b) {
  if (a.type() != b.type()) return false;
  if (auto* ta = a.as_table()) {
    const auto& tb = *b.as_table();
    if (ta->size() != tb.size()) return false;
    for (auto&& [k, v] : *ta) {
      const auto* w = tb.get(k.str());
      if (w == nullptr || !same_values(v, *w)) return false;
    }
    return true;
  }
  if (auto* aa = a.as_array()) {
    const auto& ab = *b.as_array();
    if (aa->size() != ab.size()) return false;
    for (std::size_t i = 0; i < aa->size(); ++i)
      if (!same_values((*aa)[i], ab[i])) return false;
    return true;
  }
  if (auto* fa = a.as_floating_point()) {
    const double x = fa->get(), y = b.as_floating_point()->get();
    return (std::isnan(x) && std::isnan(y)) || x == y;
  }
  if (auto* s = a.as_string()) return s->get() == b.as_string()->get();
  if (auto* i = a.as_integer()) return i->get() == b.as_integer()->get();
  if (auto* v = a.as_boolean()) return v->get() == b.as_boolean()->get();
  if (auto* d = a.as_date()) return d->get() == b.as_date()->get();
  if (auto* t = a.as_time()) return t->get() == b.as_time()->get();
  if (auto* dt = a.as_date_time()) return dt->get() == b.as_date_time()->get();
  return false;
}

std::expected<TomlDocument, std::string> TomlDocument::parse(std::string text) {
  try {
    toml::table root = toml::parse(text);
    return TomlDocument(std::move(text), std::move(root));
  } catch (const toml::parse_error& e) {
    return std::unexpected(std::format("{} at line {}, column {}", printable(e.description()),
                                       e.source().begin.line, e.source().begin.column));
  }
}

std::expected<void, std::string> TomlDocument::commit(std::string text,
                                                      const toml::table& expected) {
  toml::table reparsed;
  try {
    reparsed = toml::parse(text);
  } catch (const toml::parse_error&) {
    return std::unexpected(std::string(kDisturbs));
  }
  if (!same_values(reparsed, expected)) return std::unexpected(std::string(kDisturbs));
  text_ = std::move(text);
  root_ = std::make_shared<const toml::table>(std::move(reparsed));
  return {};
}

std::expected<TomlEdit, std::string> TomlDocument::set(std::string_view table, std::string_view key,
                                                       const TomlValue& value) {
  if (!is_valid_utf8(table) || !is_valid_utf8(key))
    return std::unexpected("the name to store is not valid UTF-8");
  auto value_text = format_value(value);
  if (!value_text) return std::unexpected(value_text.error());
  const std::string assignment = std::format("{} = {}", format_key(key), *value_text);

  const Layout l(text_);
  toml::table expected = *root_;
  toml::table fresh;
  put(fresh, key, value);
  TomlEdit edit;
  Splice splice;

  const toml::node* node = root_->get(table);
  const Shape shape = node != nullptr ? shape_of(l, *node) : Shape::Value;
  if (node == nullptr) {
    splice = root_line(l, outline(l, *root_),
                       std::format("{} = {{ {} }}", format_key(table), assignment));
    expected.insert_or_assign(table, std::move(fresh));
  } else if (shape == Shape::TableArray) {
    return std::unexpected(std::format("{} is an array of tables", quoted_path(table)));
  } else if (shape == Shape::Value) {
    const auto b = l.begin(*node), e = l.end(*node);
    edit.displaced = std::string(l.text().substr(b, e - b));
    splice = {b, e, std::format("{{ {} }}", assignment)};
    expected.insert_or_assign(table, std::move(fresh));
  } else {
    const toml::table& t = *node->as_table();
    if (const toml::node* child = t.get(key)) {
      if (!spans_one_region(shape_of(l, *child)))
        return std::unexpected(std::format("{} is a table", quoted_path(table, key)));
      splice = {l.begin(*child), l.end(*child), *value_text};
    } else if (shape == Shape::InlineTable) {
      const std::size_t open = l.begin(*node), close = l.end(*node) - 1;
      std::size_t at = close;
      while (at > open + 1 && is_space(l.at(at - 1))) --at;
      if (at == open + 1)
        splice = {open, close + 1, std::format("{{ {} }}", assignment)};
      else
        splice = {at, at, std::format(", {}", assignment)};
    } else if (shape == Shape::HeaderTable) {
      const Outline o = outline(l, *root_);
      const std::size_t header = l.line_start(l.begin(*node));
      const auto next = std::ranges::upper_bound(o.headers, header);
      const std::size_t section_end = next == o.headers.end() ? l.text().size() : *next;
      if (const auto last = last_entry(o.entries, header, section_end)) {
        splice = line_after(l, *last, assignment);
      } else {
        // The first key of a table goes right under its header, unindented.
        const auto at = l.after_line(header);
        splice =
            at == std::string_view::npos
                ? Splice{l.text().size(), l.text().size(), std::format("{}{}", l.eol(), assignment)}
                : Splice{at, at, std::format("{}{}", assignment, l.eol())};
      }
    } else {
      // A table made by dotted keys takes another dotted key in the root's section, after its
      // own keys when it has any there.
      const Outline o = outline(l, *root_);
      Outline own;
      outline_table(l, t, own);
      const std::size_t first_header = o.headers.empty() ? l.text().size() : o.headers.front();
      const std::string line = std::format("{}.{}", format_key(table), assignment);
      if (auto last = last_entry(own.entries, 0, first_header))
        splice = line_after(l, *last, line);
      else
        splice = root_line(l, o, line);
    }
    put(*expected.get(table)->as_table(), key, value);
  }

  if (auto done = commit(splice.apply(text_), expected); !done)
    return std::unexpected(done.error());
  return edit;
}

std::expected<void, std::string> TomlDocument::remove(std::string_view table,
                                                      std::string_view key) {
  const Layout l(text_);
  const toml::node* node = root_->get(table);
  if (node == nullptr || !node->is_table()) return {};
  const toml::table& t = *node->as_table();
  const auto found = t.find(key);
  if (found == t.end()) return {};
  const toml::node& child = found->second;
  if (!spans_one_region(shape_of(l, child)))
    return std::unexpected(std::format("{} is a table", quoted_path(table, key)));

  const std::size_t key_begin = l.offset(found->first.source().begin);
  const std::size_t value_end = l.end(child);
  Splice splice;
  switch (shape_of(l, *node)) {
    case Shape::InlineTable: {
      std::size_t after = value_end;
      while (is_blank(l.at(after))) ++after;
      if (l.at(after) == ',') {
        ++after;
        while (is_blank(l.at(after))) ++after;
        splice = {key_begin, after, ""};
        break;
      }
      std::size_t before = key_begin;
      while (before > 0 && is_blank(l.at(before - 1))) --before;
      if (before > 0 && l.at(before - 1) == ',')
        splice = {before - 1, value_end, ""};
      else
        splice = {l.begin(*node), l.end(*node), "{}"};
      break;
    }
    case Shape::DottedTable:
      if (t.size() == 1) {
        // Dotted keys are all that makes this table; keep it, empty, in the same place.
        const std::size_t start = l.first_non_blank(l.line_start(key_begin));
        splice = {start, value_end, std::format("{} = {{}}", format_key(table))};
        break;
      }
      [[fallthrough]];
    default: {
      const auto after = l.after_line(value_end);
      splice = {l.line_start(key_begin), after == std::string_view::npos ? l.text().size() : after,
                ""};
    }
  }

  toml::table expected = *root_;
  expected.get(table)->as_table()->erase(key);
  return commit(splice.apply(text_), expected);
}

}  // namespace marlguide::config

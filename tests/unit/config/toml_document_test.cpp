// The format-preserving TOML editor: every edit re-parses, changes exactly one value and leaves
// the text around it byte for byte.

#include "config/toml_document.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace marlguide::config {
namespace {

using ::testing::HasSubstr;

std::string crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TomlDocument parsed(std::string text) {
  auto doc = TomlDocument::parse(std::move(text));
  EXPECT_TRUE(doc.has_value()) << doc.error();
  return doc.value_or(TomlDocument{});
}

// ---------------------------------------------------------------------------------------------
// Source positions

TEST(ByteOffset, CountsColumnsInCodePointsAndSkipsTheByteOrderMark) {
  struct Case {
    std::string text;
    toml::source_position pos;
    std::size_t offset;
  };
  const Case cases[] = {
      {"a = 1\n", {1, 5}, 4},
      {"a = 1\nb = 2\n", {2, 5}, 10},
      {"\"é\" = \"ü\"\n", {1, 7}, 7},      // é is two bytes, one column
      {"\"日本\" = 1\n", {1, 8}, 11},      // three-byte characters
      {"a = 1\r\nb = 2\r\n", {2, 5}, 11},  // CR is the end of line 1
      {"\xEF\xBB\xBF"
       "a = 1\n",
       {1, 5},
       7},
      {"a = 1", {1, 6}, 5},  // the end of a last line without a break
  };
  for (const auto& c : cases) EXPECT_EQ(byte_offset(c.text, c.pos), c.offset) << c.text;
}

TEST(ByteOffset, AgreesWithTheSpansToml) {
  // The span of every value, cut out of the text, is the value as written.
  const std::string text = crlf(
      "\xEF\xBB\xBF\"ключ\" = 'значение' # c\n[t]\nml = \"\"\"\nx\ny\"\"\"\n"
      "inl = { a = [1, 2], \"b\" = 1979-05-27 }\n");
  const auto doc = parsed(text);
  auto cut = [&](const toml::node& n) {
    const auto b = byte_offset(text, n.source().begin), e = byte_offset(text, n.source().end);
    return text.substr(b, e - b);
  };
  EXPECT_EQ(cut(*doc.root().get("ключ")), "'значение'");
  const auto& t = *doc.root().get_as<toml::table>("t");
  EXPECT_EQ(cut(*t.get("ml")), "\"\"\"\r\nx\r\ny\"\"\"");
  EXPECT_EQ(cut(*t.get("inl")), "{ a = [1, 2], \"b\" = 1979-05-27 }");
  EXPECT_EQ(cut(*t.get("inl")->as_table()->get("b")), "1979-05-27");
}

// ---------------------------------------------------------------------------------------------
// The corpus: varied hand-written documents, each put through every kind of edit.

const std::string kStandard = R"(# marlguide state
# edited by hand

[general]
mode   =   'compact'   # I like it small
theme = "dark"

[onboarding]
completed = false
step = 2

# The tour writes these.
[tour]
pending_rebind_key = "SUPER,Q"
pending_rebind_original = "SUPER,Q,exec,kitty"
)";

const std::string kInline = R"(general = {mode="beginner",font = 3}
onboarding = { }
tour = {}
unknown = [1, 2, 3]
)";

const std::string kDotted = R"(general.mode = "dad"
general.extra."quoted.part" = 1
onboarding.step = 4 # dotted
tour.pending_rebind_key = "SUPER,Q"
tour.other = true

[other]
x = 1
)";

const std::string kQuoted = R"("general" = { "mode" = "normal" }
[ "onboarding" ]
"completed" = true
'step' = -3
)";

const std::string kArraysOfTables = R"(title = "x"
[[plugins]]
name = "a"
[[plugins]]
name = "b"
[plugins.opts]
z = 1
[onboarding]
step = 1
[onboarding.details]
note = """
multi
[not a header]
"""
[tour]
)";

const std::string kIndented = "\t[general]\n\t  mode\t=\t\"dad\"\n\n[onboarding]   # header note\n";

const std::string kImplied = R"([general.sub]
x = 1
[tour.deep.er]
y = 2
)";

const std::string kUnicode = R"("é" = "ü"   # ünïcode
[general]
"ключ" = "значение"
mode = "dad"
)";

const std::string kAllTypes = R"(f = nan
g = -inf
d = 1979-05-27T07:32:00Z
t = 07:32:00
h = 0xDEAD
lit = 'C:\path'
arr = [ { a = 1 }, { b = [1, 2] } ]
multi = [
  1,
  2,
]
[onboarding]
step = 0x10
completed = "true"
)";

const std::string kCommentsOnly = "# nothing here yet\n\n# really\n";
const std::string kCommentAboveHeader =
    "# file note\n\n# about onboarding\n[onboarding]\nstep = 1\n";

struct Doc {
  const char* name;
  std::string text;
};

std::vector<Doc> corpus() {
  return {
      {"empty", ""},
      {"standard", kStandard},
      {"standard-crlf", crlf(kStandard)},
      {"inline", kInline},
      {"dotted", kDotted},
      {"quoted", kQuoted},
      {"arrays-of-tables", kArraysOfTables},
      {"arrays-of-tables-crlf", crlf(kArraysOfTables)},
      {"indented", kIndented},
      {"implied", kImplied},
      {"unicode", kUnicode},
      {"all-types", kAllTypes},
      {"comments-only", kCommentsOnly},
      {"comment-above-header", kCommentAboveHeader},
      {"no-final-newline-table", "[general]\nmode = \"dad\""},
      {"no-final-newline-root", "a = 1"},
      {"no-final-newline-comment", "# only a comment"},
      {"bom", "\xEF\xBB\xBFgeneral = { mode = \"dad\" }\n[onboarding]\n"},
  };
}

struct Op {
  const char* name;
  std::string table, key;
  std::optional<TomlValue> value;  // none removes the key
};

std::vector<Op> ops() {
  return {
      {"set mode", "general", "mode", TomlValue{std::string("dad")}},
      {"set completed", "onboarding", "completed", TomlValue{true}},
      {"set step", "onboarding", "step", TomlValue{std::int64_t{5}}},
      {"set rebind key", "tour", "pending_rebind_key", TomlValue{std::string("SUPER,Q")}},
      {"set escaped text", "tour", "pending_rebind_original",
       TomlValue{std::string("SUPER,Q,exec,kitty \"a\\b\"\t\x01 é")}},
      {"set new table", "fresh", "value", TomlValue{std::int64_t{-7}}},
      {"set quoted key", "general", "odd key.x", TomlValue{false}},
      {"remove rebind key", "tour", "pending_rebind_key", std::nullopt},
      {"remove step", "onboarding", "step", std::nullopt},
      {"remove mode", "general", "mode", std::nullopt},
  };
}

toml::table expected_after(const toml::table& before, const Op& op) {
  toml::table expect = before;
  auto* t = expect.get_as<toml::table>(op.table);
  if (!op.value) {
    if (t) t->erase(op.key);
    return expect;
  }
  if (!t) {
    expect.insert_or_assign(op.table, toml::table{});
    t = expect.get_as<toml::table>(op.table);
  }
  std::visit([&](const auto& v) { t->insert_or_assign(op.key, v); }, *op.value);
  return expect;
}

int own_line_comments(std::string_view text) {
  int n = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
    if (j < text.size() && text[j] == '#') ++n;
    const auto nl = text.find('\n', i);
    if (nl == std::string_view::npos) break;
    i = nl + 1;
  }
  return n;
}

bool has_bare_lf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
  return false;
}

bool all_blank(std::string_view s) {
  return std::ranges::all_of(s, [](char c) { return c == ' ' || c == '\t'; });
}

TEST(TomlEditCorpus, EveryEditChangesOneValueAndNothingElse) {
  for (const auto& doc : corpus()) {
    for (const auto& op : ops()) {
      SCOPED_TRACE(std::string(doc.name) + " / " + op.name);
      TomlDocument d = parsed(doc.text);
      const TomlDocument original = d;
      const std::string& before = original.text();
      const toml::table& before_values = original.root();

      // Where the value being replaced was written, if it was, and the lines it is on.
      std::optional<std::pair<std::size_t, std::size_t>> old_span;
      std::size_t old_lines = 0;
      if (const auto* t = before_values.get_as<toml::table>(op.table)) {
        if (const auto* v = t->get(op.key)) {
          old_span = {byte_offset(before, v->source().begin), byte_offset(before, v->source().end)};
          const auto first = before.rfind('\n', old_span->first);
          const auto last = before.find('\n', old_span->second);
          old_lines = (last == std::string::npos ? before.size() : last + 1) -
                      (first == std::string::npos ? 0 : first + 1);
        }
      }

      if (op.value) {
        auto edit = d.set(op.table, op.key, *op.value);
        ASSERT_TRUE(edit.has_value()) << edit.error();
        EXPECT_FALSE(edit->displaced);
      } else {
        auto edit = d.remove(op.table, op.key);
        ASSERT_TRUE(edit.has_value()) << edit.error();
      }
      const std::string& after = d.text();

      // The text re-parses to exactly the old values plus the change.
      auto reparsed = TomlDocument::parse(after);
      ASSERT_TRUE(reparsed.has_value()) << reparsed.error() << "\n" << after;
      EXPECT_TRUE(same_values(reparsed->root(), expected_after(before_values, op))) << after;

      // One contiguous change; everything outside it is the old text.
      std::size_t p = 0;
      while (p < before.size() && p < after.size() && before[p] == after[p]) ++p;
      std::size_t s = 0;
      while (s < before.size() - p && s < after.size() - p &&
             before[before.size() - 1 - s] == after[after.size() - 1 - s])
        ++s;
      const std::string_view removed = std::string_view(before).substr(p, before.size() - s - p);
      const std::string_view added = std::string_view(after).substr(p, after.size() - s - p);

      if (!op.value) {
        // Only a dotted table that loses its last key is rewritten, as an empty table.
        EXPECT_TRUE(added.empty() || added.ends_with("= {}"))
            << "a removal only takes text away: " << added;
        if (old_span) {
          EXPECT_LE(removed.size(), old_lines) << "no more than the key's own line goes";
        } else {
          EXPECT_EQ(before, after) << "nothing to remove";
        }
        EXPECT_EQ(own_line_comments(before), own_line_comments(after));
      } else if (old_span && before != after) {
        EXPECT_GE(p, old_span->first) << "the change starts inside the old value";
        EXPECT_LE(before.size() - s, old_span->second) << "and ends inside it";
      } else if (!old_span) {
        EXPECT_TRUE(all_blank(removed)) << "an added key only adds text: [" << removed << "]";
      }

      if (before.find("\r\n") != std::string::npos && !has_bare_lf(before)) {
        EXPECT_FALSE(has_bare_lf(after)) << "new lines follow the file's CRLF line ends";
      }
    }
  }
}

TEST(TomlEditCorpus, EditsCompose) {
  // A sequence of edits on one document, each working from the previous result.
  for (const auto& doc : corpus()) {
    SCOPED_TRACE(doc.name);
    TomlDocument d = parsed(doc.text);
    toml::table expect = d.root();
    for (const auto& op : ops()) {
      auto ok = op.value ? d.set(op.table, op.key, *op.value).transform([](auto) {})
                         : d.remove(op.table, op.key);
      ASSERT_TRUE(ok.has_value()) << op.name << ": " << ok.error() << "\n" << d.text();
      expect = expected_after(expect, op);
    }
    EXPECT_TRUE(same_values(d.root(), expect)) << d.text();
    EXPECT_TRUE(TomlDocument::parse(d.text()).has_value());
  }
}

// ---------------------------------------------------------------------------------------------
// The exact form of new text

struct FormCase {
  const char* name;
  std::string before;
  Op op;
  std::string after;
};

TEST(TomlEditForm, NewTextTakesTheDefaultFormInTheRightPlace) {
  const TomlValue dad{std::string("dad")};
  const FormCase cases[] = {
      {"table created inline in an empty file",
       "",
       {"", "general", "mode", dad},
       "general = { mode = \"dad\" }\n"},
      {"table created before the first header, after the root keys",
       "a = 1 # one\n\n[onboarding]\nstep = 1\n",
       {"", "general", "mode", dad},
       "a = 1 # one\ngeneral = { mode = \"dad\" }\n\n[onboarding]\nstep = 1\n"},
      {"table created above the header's own comments",
       kCommentAboveHeader,
       {"", "general", "mode", dad},
       "# file note\n\ngeneral = { mode = \"dad\" }\n# about onboarding\n[onboarding]\nstep = 1\n"},
      {"key added at the end of its standard table, before the next table's blank line",
       "[general]\n  theme = 1 # note\n\n[tour]\n",
       {"", "general", "mode", dad},
       "[general]\n  theme = 1 # note\n  mode = \"dad\"\n\n[tour]\n"},
      {"first key of an empty standard table goes under its header",
       "[general] # mine\n\n[tour]\n",
       {"", "general", "mode", dad},
       "[general] # mine\nmode = \"dad\"\n\n[tour]\n"},
      {"key added inside an inline table",
       "general = {theme=1}\n",
       {"", "general", "mode", dad},
       "general = {theme=1, mode = \"dad\"}\n"},
      {"key added to an empty inline table",
       "general = {  }\n",
       {"", "general", "mode", dad},
       "general = { mode = \"dad\" }\n"},
      {"value replaced in place, comment kept",
       "[general]\nmode   =   'compact'   # small\n",
       {"", "general", "mode", dad},
       "[general]\nmode   =   \"dad\"   # small\n"},
      {"dotted table takes a dotted key after its own",
       "onboarding.step = 1\nx = 2\n[t]\n",
       {"", "onboarding", "completed", TomlValue{true}},
       "onboarding.step = 1\nonboarding.completed = true\nx = 2\n[t]\n"},
      {"table implied by a deeper header takes a dotted key at the root",
       "[tour.deep]\ny = 2\n",
       {"", "tour", "pending_rebind_key", TomlValue{std::string("SUPER,Q")}},
       "tour.pending_rebind_key = \"SUPER,Q\"\n[tour.deep]\ny = 2\n"},
      {"no final newline stays without one",
       "[general]\nmode = 'x'",
       {"", "general", "step", TomlValue{std::int64_t{3}}},
       "[general]\nmode = 'x'\nstep = 3"},
      {"text is escaped",
       "",
       {"", "t", "k", TomlValue{std::string("a\"b\\c\nd\x7f")}},
       "t = { k = \"a\\\"b\\\\c\\nd\\u007F\" }\n"},
      {"removal takes its own line with its comment",
       "[tour]\nk = 1 # gone\nother = 2\n",
       {"", "tour", "k", std::nullopt},
       "[tour]\nother = 2\n"},
      {"removal in an inline table takes its own comma",
       "tour = { a = 1, k = \"x\", b = 2 }\n",
       {"", "tour", "k", std::nullopt},
       "tour = { a = 1, b = 2 }\n"},
      {"removal of the last inline key takes the comma before it",
       "tour = { a = 1, k = \"x\" }\n",
       {"", "tour", "k", std::nullopt},
       "tour = { a = 1 }\n"},
      {"removal of the only inline key leaves the table",
       "tour = { k = \"x\" }\n",
       {"", "tour", "k", std::nullopt},
       "tour = {}\n"},
      {"removal of a dotted table's last key leaves the table",
       "tour.k = \"x\" # note\n[a]\n",
       {"", "tour", "k", std::nullopt},
       "tour = {} # note\n[a]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TomlDocument d = parsed(c.before);
    if (c.op.value)
      ASSERT_TRUE(d.set(c.op.table, c.op.key, *c.op.value).has_value());
    else
      ASSERT_TRUE(d.remove(c.op.table, c.op.key).has_value());
    EXPECT_EQ(d.text(), c.after);
  }
}

// ---------------------------------------------------------------------------------------------
// Files that cannot be edited losslessly

TEST(TomlEditHard, APlainValueWhereATableBelongsIsReplacedAndHandedBack) {
  TomlDocument d = parsed("# mine\ngeneral = \"big\" # why\n[x]\n");
  auto edit = d.set("general", "mode", std::string("dad"));
  ASSERT_TRUE(edit.has_value());
  EXPECT_EQ(edit->displaced, "\"big\"");
  EXPECT_EQ(d.text(), "# mine\ngeneral = { mode = \"dad\" } # why\n[x]\n");
}

TEST(TomlEditHard, StructuresWithoutOneSpanAreRefusedAndLeftAlone) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<TomlValue> value;
  };
  const Case cases[] = {
      {"array of tables", "[[general]]\nmode = 1\n[[general]]\n", std::string("dad")},
      {"key is a header table", "[general.mode]\nx = 1\n", std::string("dad")},
      {"key is a dotted table", "general.mode.x = 1\n", std::string("dad")},
      {"key is dotted inside an inline table", "general = { mode.x = 1 }\n", std::string("dad")},
      {"removing a header table", "[general.mode]\nx = 1\n", std::nullopt},
      {"text that is not UTF-8", "[general]\n", std::string("\xff")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TomlDocument d = parsed(c.text);
    const bool ok = c.value ? d.set("general", "mode", *c.value).has_value()
                            : d.remove("general", "mode").has_value();
    EXPECT_FALSE(ok);
    EXPECT_EQ(d.text(), c.text);
  }
}

TEST(TomlEditHard, NamesThatAreNotUtf8AreRefusedAndLeftAlone) {
  for (const auto& [table, key] : {std::pair{"\xae", "mode"}, std::pair{"general", "\xff"}}) {
    TomlDocument d = parsed("[general]\n");
    auto edit = d.set(table, key, std::string("dad"));
    ASSERT_FALSE(edit.has_value());
    EXPECT_EQ(edit.error(), "the name to store is not valid UTF-8");
    EXPECT_EQ(d.text(), "[general]\n");
  }
}

TEST(TomlParse, ErrorsAreOneLineWithLineAndColumn) {
  auto bad = TomlDocument::parse("a = 1\nb = [1,\n");
  ASSERT_FALSE(bad.has_value());
  EXPECT_THAT(bad.error(), HasSubstr("line 2"));
  EXPECT_THAT(bad.error(), HasSubstr("column"));
  EXPECT_EQ(bad.error().find('\n'), std::string::npos);
  // The reader quotes what it saw, here a line break, which stays an escape.
  bad = TomlDocument::parse("i=i\n");
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().find('\n'), std::string::npos) << bad.error();
  EXPECT_THAT(bad.error(), HasSubstr("\\n"));
  EXPECT_FALSE(TomlDocument::parse("[x]\n[x]\n").has_value()) << "strict: no table twice";
}

TEST(SameValues, ComparesValuesNotForms) {
  auto a = parsed("t = { x = 1, f = nan }\n");
  auto b = parsed("[t]\nf = nan\nx = 0x1\n");
  auto c = parsed("[t]\nf = nan\nx = 2\n");
  auto d = parsed("[t]\nf = nan\nx = 1.0\n");
  EXPECT_TRUE(same_values(a.root(), b.root()));
  EXPECT_FALSE(same_values(a.root(), c.root()));
  EXPECT_FALSE(same_values(a.root(), d.root())) << "an integer is not a float";
}

}  // namespace
}  // namespace marlguide::config

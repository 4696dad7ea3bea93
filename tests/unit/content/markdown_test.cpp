#include "content/markdown.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlguide::content {
namespace {

struct BlockCase {
  const char* name;
  std::string text;
  std::vector<Block> blocks;
};

Paragraph para(std::vector<Span> spans) { return Paragraph{std::move(spans)}; }
Text text(const char* t) { return Text{t}; }

class ParseBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(ParseBlocks, Lines) { EXPECT_EQ(parse_blocks(GetParam().text), GetParam().blocks); }

INSTANTIATE_TEST_SUITE_P(
    Dialect, ParseBlocks,
    ::testing::Values(
        BlockCase{"empty", "", {}}, BlockCase{"blank_lines_only", "\n  \n\t\r\n\xe2\x80\x83\n", {}},
        BlockCase{"heading_2_trimmed", "  ## Setup  ", {Heading{"Setup", 2}}},
        BlockCase{"heading_1_inner_space_trimmed", "#   Title ", {Heading{"Title", 1}}},
        BlockCase{"hashes_without_space", "##Setup", {para({text("##Setup")})}},
        BlockCase{"three_hashes", "### Setup", {para({text("### Setup")})}},
        BlockCase{"lone_hash_marks", "#\n##", {para({text("#")}), para({text("##")})}},
        BlockCase{"heading_keeps_markers", "# A **b** `c`", {Heading{"A **b** `c`", 1}}},
        BlockCase{"two_lines_two_paragraphs",
                  "first line\nsecond line",
                  {para({text("first line")}), para({text("second line")})}},
        BlockCase{"crlf_and_last_line_without_newline",
                  "one\r\ntwo",
                  {para({text("one")}), para({text("two")})}},
        BlockCase{"bullet", "- Open the launcher", {Bullet{{text("Open the launcher")}}}},
        BlockCase{"bullet_rest_not_trimmed_again", "-  indented", {Bullet{{text(" indented")}}}},
        BlockCase{"hyphen_without_space", "-Open", {para({text("-Open")})}},
        BlockCase{"numbered_and_starred_lines_are_paragraphs",
                  "1. first\n* star",
                  {para({text("1. first")}), para({text("* star")})}},
        BlockCase{"unicode_white_space_trimmed",
                  "\xc2\xa0\xe3\x80\x80# Wide\xe2\x80\x89",
                  {Heading{"Wide", 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SpanCase {
  const char* name;
  std::string line;
  std::vector<Span> spans;
};

class ParseSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(ParseSpans, Directives) { EXPECT_EQ(parse_spans(GetParam().line), GetParam().spans); }

INSTANTIATE_TEST_SUITE_P(
    Dialect, ParseSpans,
    ::testing::Values(
        SpanCase{"plain", "just text", {Text{"just text"}}},
        SpanCase{"run_between_texts_keeps_spaces",
                 "Press [Run]uptime|Show uptime[/Run] now",
                 {Text{"Press "}, RunButton{"uptime", "Show uptime"}, Text{" now"}}},
        SpanCase{"run_alone", "[Run]reboot[/Run]", {RunButton{"reboot", "reboot"}}},
        SpanCase{
            "run_parts_trimmed", "[Run]  ls -l  |  List  [/Run]", {RunButton{"ls -l", "List"}}},
        SpanCase{"second_bar_stays_in_label", "[Run]a|b|c[/Run]", {RunButton{"a", "b|c"}}},
        SpanCase{"unclosed_run_is_one_text", "See [Run]x", {Text{"See [Run]x"}}},
        SpanCase{"unclosed_after_a_closed_one",
                 "[Run]a[/Run] then [Run]b",
                 {RunButton{"a", "a"}, Text{" then [Run]b"}}},
        SpanCase{"unclosed_swallows_later_directives",
                 "[Run]x [Show Keybind]super[/Show Keybind]",
                 {Text{"[Run]x [Show Keybind]super[/Show Keybind]"}}},
        SpanCase{"chip_trimmed",
                 "Press [Show Keybind] SUPER + Return [/Show Keybind].",
                 {Text{"Press "}, KeyChip{"SUPER + Return"}, Text{"."}}},
        SpanCase{"earlier_directive_wins",
                 "[Show Keybind]a[/Show Keybind][Run]b[/Run]",
                 {KeyChip{"a"}, RunButton{"b", "b"}}},
        SpanCase{"inner_text_is_not_searched",
                 "[Run]echo [Show Keybind]|go[/Run]",
                 {RunButton{"echo [Show Keybind]", "go"}}},
        SpanCase{"close_tag_of_other_kind_does_not_close",
                 "[Run]x[/Show Keybind]",
                 {Text{"[Run]x[/Show Keybind]"}}},
        SpanCase{"tags_are_case_sensitive", "[run]x[/run]", {Text{"[run]x[/run]"}}},
        SpanCase{"empty_run", "[Run][/Run]", {RunButton{"", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToggleMarkers, AlternatesTagsWithoutBalancing) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"a **b** c", "a <b>b</b> c"}, {"***x***", "<b>*x</b>*"},
      {"odd **one", "odd <b>one"},   {"**", "<b>"},
      {"no markers", "no markers"},  {"****", "<b></b>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(toggle_markers(c.text, "**", "<b>", "</b>"), c.want) << c.text;
  EXPECT_EQ(toggle_markers("`a` and `b`", "`", "<tt>", "</tt>"), "<tt>a</tt> and <tt>b</tt>");
}

}  // namespace
}  // namespace marlguide::content

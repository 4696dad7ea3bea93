#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The guide text dialect: one block per non-empty line ("# " and "## " headings, "- "
// bullets, paragraphs), with "**" bold and backtick monospace emphasis and two directives,
// "[Run]command|label[/Run]" and "[Show Keybind]combo[/Show Keybind]".
namespace marlguide::content {

// Plain text of a line; may still hold the emphasis markers.
struct Text {
  std::string text;
  bool operator==(const Text&) const = default;
};

struct RunButton {
  std::string command;
  std::string label;
  bool operator==(const RunButton&) const = default;
};

struct KeyChip {
  std::string text;
  bool operator==(const KeyChip&) const = default;
};

using Span = std::variant<Text, RunButton, KeyChip>;

struct Heading {
  std::string text;  // shown literally
  int level = 1;     // 1 or 2
  bool operator==(const Heading&) const = default;
};

struct Bullet {
  std::vector<Span> spans;
  bool operator==(const Bullet&) const = default;
};

struct Paragraph {
  std::vector<Span> spans;
  bool operator==(const Paragraph&) const = default;
};

using Block = std::variant<Heading, Bullet, Paragraph>;

// The blocks of a text, in line order. Never fails. The text must be valid UTF-8.
std::vector<Block> parse_blocks(std::string_view text);

// The spans of one line. An unclosed directive stays text.
std::vector<Span> parse_spans(std::string_view line);

// Replaces the markers of `text`, left to right, alternately by `open` and `close`. The
// markers are not balanced: an odd count leaves the last tag open.
std::string toggle_markers(std::string_view text, std::string_view marker, std::string_view open,
                           std::string_view close);

// The Pango markup of a text span: the text escaped, then "**" pairs as bold and backtick
// pairs as monospace. Unbalanced markers give markup that Pango rejects.
std::string span_markup(std::string_view text);

}  // namespace marlguide::content

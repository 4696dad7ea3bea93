// The guide text dialect over arbitrary text: parsing never fails, and what it gives back keeps
// the shape the renderer relies on.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "check.hpp"
#include "content/markdown.hpp"
#include "content/text.hpp"

using namespace marlguide;
using fuzz::check;

namespace {

bool trimmed(std::string_view s) { return content::trim_white_space(s).size() == s.size(); }

void check_spans(const std::vector<content::Span>& spans) {
  for (const auto& span : spans) {
    if (const auto* text = std::get_if<content::Text>(&span)) {
      check(!text->text.empty(), "a text span is never empty");
      check(text->text.find('\n') == std::string::npos, "a span stays on its line");
      // The markup goes to GTK as is; building it must hold up on any text.
      (void)content::span_markup(text->text);
    } else if (const auto* run = std::get_if<content::RunButton>(&span)) {
      check(trimmed(run->command) && trimmed(run->label), "run button parts are trimmed");
      check(run->command.find("[/Run]") == std::string::npos, "a run ends at its first close");
    } else {
      const auto& chip = std::get<content::KeyChip>(span);
      check(trimmed(chip.text), "chip text is trimmed");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Guide files are read only when they are valid UTF-8.
  if (!content::is_valid_utf8(text)) return -1;

  const auto blocks = content::parse_blocks(text);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  check(blocks.size() <= lines, "at most one block per line");

  for (const auto& block : blocks) {
    if (const auto* heading = std::get_if<content::Heading>(&block)) {
      check(heading->level == 1 || heading->level == 2, "heading level is 1 or 2");
      check(trimmed(heading->text), "heading text is trimmed");
    } else if (const auto* bullet = std::get_if<content::Bullet>(&block)) {
      check_spans(bullet->spans);
    } else {
      const auto& paragraph = std::get<content::Paragraph>(block);
      check(!paragraph.spans.empty(), "a paragraph comes from a non-empty line");
      check_spans(paragraph.spans);
    }
  }
  return 0;
}

#include "content/markdown.hpp"

#include <glib.h>

#include <memory>

#include "content/text.hpp"

namespace marlguide::content {
namespace {

constexpr std::string_view kRunOpen = "[Run]";
constexpr std::string_view kRunClose = "[/Run]";
constexpr std::string_view kChipOpen = "[Show Keybind]";
constexpr std::string_view kChipClose = "[/Show Keybind]";

Block parse_line(std::string_view line) {
  if (line.size() >= 3 && line.starts_with("## "))
    return Heading{std::string(trim_white_space(line.substr(3))), 2};
  if (line.starts_with("# ")) return Heading{std::string(trim_white_space(line.substr(2))), 1};
  if (line.starts_with("- ")) return Bullet{parse_spans(line.substr(2))};
  return Paragraph{parse_spans(line)};
}

RunButton run_button(std::string_view inner) {
  const auto bar = inner.find('|');
  if (bar == std::string_view::npos) {
    std::string both(trim_white_space(inner));
    return RunButton{both, both};
  }
  return RunButton{std::string(trim_white_space(inner.substr(0, bar))),
                   std::string(trim_white_space(inner.substr(bar + 1)))};
}

}  // namespace

std::vector<Block> parse_blocks(std::string_view text) {
  std::vector<Block> blocks;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    line = trim_white_space(line);
    if (!line.empty()) blocks.push_back(parse_line(line));
  }
  return blocks;
}

std::vector<Span> parse_spans(std::string_view line) {
  std::vector<Span> spans;
  std::string_view rest = line;
  while (true) {
    const auto run = rest.find(kRunOpen);
    const auto chip = rest.find(kChipOpen);
    if (run == std::string_view::npos && chip == std::string_view::npos) {
      if (!rest.empty()) spans.push_back(Text{std::string(rest)});
      return spans;
    }
    const bool is_run = run < chip;
    const auto open_at = is_run ? run : chip;
    const auto open = is_run ? kRunOpen : kChipOpen;
    const auto close = is_run ? kRunClose : kChipClose;
    const std::string_view after = rest.substr(open_at + open.size());
    const auto close_at = after.find(close);
    // Without its closing tag the directive is plain text, shown in one piece with the text
    // before it.
    if (close_at == std::string_view::npos) {
      spans.push_back(Text{std::string(rest)});
      return spans;
    }
    if (open_at > 0) spans.push_back(Text{std::string(rest.substr(0, open_at))});
    const std::string_view inner = after.substr(0, close_at);
    if (is_run)
      spans.push_back(run_button(inner));
    else
      spans.push_back(KeyChip{std::string(trim_white_space(inner))});
    rest = after.substr(close_at + close.size());
  }
}

std::string toggle_markers(std::string_view text, std::string_view marker, std::string_view open,
                           std::string_view close) {
  std::string out;
  out.reserve(text.size());
  bool opened = false;
  while (!marker.empty()) {
    const auto at = text.find(marker);
    if (at == std::string_view::npos) break;
    out.append(text.substr(0, at));
    out.append(opened ? close : open);
    opened = !opened;
    text.remove_prefix(at + marker.size());
  }
  out.append(text);
  return out;
}

std::string span_markup(std::string_view text) {
  std::unique_ptr<gchar, decltype(&g_free)> escaped(
      g_markup_escape_text(text.data(), static_cast<gssize>(text.size())), &g_free);
  const std::string bold = toggle_markers(escaped.get(), "**", "<b>", "</b>");
  return toggle_markers(bold, "`", "<tt>", "</tt>");
}

}  // namespace marlguide::content

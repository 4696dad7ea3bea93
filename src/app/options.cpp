#include "app/options.hpp"

#include <glib.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace marlguide::app {
namespace {

bool is_utf8(std::string_view s) { return g_utf8_validate(s.data(), std::ssize(s), nullptr); }

// An unsigned 32-bit decimal: an optional '+', then one or more digits, no overflow.
std::optional<std::uint32_t> parse_u32(std::string_view s) {
  if (!is_utf8(s)) return std::nullopt;
  if (s.starts_with('+')) s.remove_prefix(1);
  if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 10);
  if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

Options parse_options(std::span<const std::string_view> args) {
  Options o;
  const std::size_t n = args.size();
  for (std::size_t i = 1; i < n; ++i) {
    const std::string_view arg = args[i];
    const bool has_next = i + 1 < n;

    if (arg == "--width" || arg == "--height") {
      if (!has_next) continue;
      auto& field = arg == "--width" ? o.width : o.height;
      if (auto v = parse_u32(args[++i])) field = *v;
      continue;
    }

    std::optional<std::string>* text_field = nullptr;
    if (arg == "--output")
      text_field = &o.output;
    else if (arg == "--screenshot")
      text_field = &o.screenshot;
    else if (arg == "--suggest")
      text_field = &o.suggest;
    else if (arg == "--tour-event")
      text_field = &o.tour_event;
    if (text_field) {
      text_field->reset();
      if (has_next) {
        const std::string_view value = args[++i];
        if (is_utf8(value)) *text_field = std::string(value);
      }
      continue;
    }

    if (arg == "--onboard")
      o.onboard = true;
    else if (arg == "--autostart")
      o.autostart = true;
  }
  return o;
}

bool wants_own_process(std::span<const std::string_view> args) {
  for (std::string_view a : args)
    if (a == "--screenshot") return true;
  return false;
}

ScreenshotCheck check_screenshot(const Options& options) {
  if (!options.screenshot) return ScreenshotCheck::None;
  if (!options.output) return ScreenshotCheck::MissingOutput;
  return ScreenshotCheck::Ready;
}

std::optional<ScreenshotRequest> screenshot_request(const Options& options) {
  switch (check_screenshot(options)) {
    case ScreenshotCheck::None:
      return std::nullopt;
    case ScreenshotCheck::MissingOutput:
      std::fputs("marlguide: --screenshot requires --output\n", stderr);
      std::fflush(stderr);
      std::exit(1);
    case ScreenshotCheck::Ready:
      break;
  }
  return ScreenshotRequest{*options.screenshot, *options.output, options.width, options.height};
}

}  // namespace marlguide::app

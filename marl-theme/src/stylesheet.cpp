#include "marl-theme/stylesheet.hpp"

#include <glib.h>

#include <cstdlib>
#include <format>

#include "marl-theme/palette.hpp"
#include "xdg.hpp"

namespace marl::theme {
namespace {

// Colour is set on containers and inherited by their labels: a rule colouring labels by type
// would override the colour of a button or card on its own text. Titles use page-title and
// page-subtitle because libadwaita puts bare title/subtitle classes on its internal labels.
std::string widget_rules(const DesignTokens& t) {
  const auto ff = t.font_family;
  const auto fs = t.font_size, small = t.font_size_small;
  const auto r = t.radius, rs = t.radius_small, pill = t.radius_pill;
  const auto xs = t.space_xs, s = t.space_s, m = t.space_m, l = t.space_l;
  std::string css;
  auto rule = [&css](std::string_view selector, std::string_view declarations) {
    css += std::format("{} {{ {} }}\n", selector, declarations);
  };
  rule("*", std::format("font-family: '{}'; font-size: {}px;", ff, fs));
  rule("window", "background-color: @bg; color: @on-bg;");
  rule(".dim-label, .dim", std::format("opacity: 0.6; font-size: {}px;", small));
  rule(".page-title", "font-size: 1.4em; font-weight: bold;");
  rule(".heading", "font-weight: bold; opacity: 0.85;");
  rule(".page-subtitle", std::format("opacity: 0.7; font-size: {}px;", small));
  // GTK's own theme paints buttons with a light gradient image over their background colour;
  // without clearing it every button stays light under light ink and reads as a blank box.
  rule("button", std::format("background-color: @surface; color: @on-surface; border: none; "
                             "border-radius: {}px; padding: {}px {}px; background-image: none; "
                             "box-shadow: none;",
                             r, s, l));
  rule("button:hover", "background-color: alpha(@on-surface, 0.14);");
  rule("button:active", "background-color: alpha(@on-surface, 0.20);");
  // Clearing the image also clears GTK's mark of a pressed toggle, such as the page switcher's
  // current page, so the theme marks it itself.
  rule("button:checked", "background-color: @accent; color: @on-accent;");
  rule("button:disabled", "opacity: 0.5;");
  rule("button.flat", "background-color: transparent; color: @on-bg;");
  rule("button.suggested-action", "background-color: @accent; color: @on-accent;");
  rule("button.suggested-action:hover", "background-color: alpha(@accent, 0.85);");
  // The palette's red can be any hue the wallpaper gives; a destructive action stays red.
  rule("button.destructive-action", "background-color: #e01b24; color: #ffffff;");
  rule("button.destructive-action:hover", "background-color: #c01c28;");
  rule("entry, spinbutton",
       std::format("background-color: @surface; color: @on-surface; border: 1px solid @overlay; "
                   "border-radius: {}px; padding: {}px {}px; caret-color: @on-surface;",
                   rs, xs, s));
  rule("entry:focus-within, spinbutton:focus-within", "border-color: @accent; outline: none;");
  rule("entry image, spinbutton button", "color: @on-surface;");
  rule("dropdown > button",
       std::format("background-color: @surface; color: @on-surface; border-radius: {}px;", rs));
  rule("popover > contents",
       std::format("background-color: @surface; color: @on-surface; border-radius: {}px;", r));
  rule("switch", std::format("background-color: @overlay; border-radius: {}px;", pill));
  rule("switch:checked", "background-color: @accent;");
  rule("switch slider", std::format("background-color: @on-surface; border-radius: {}px;", pill));
  // Sliders show the palette's accent instead of GTK's own.
  rule("scale trough",
       std::format("background-color: @overlay; border-radius: {}px; min-height: 6px;", pill));
  rule("scale trough highlight",
       std::format("background-color: @accent; border-radius: {}px; min-height: 6px;", pill));
  rule("scale slider", std::format("background-color: @on-bg; border-radius: {}px;", pill));
  // Plain lists stay transparent; boxed lists read as cards. Each sets its ink as well: GTK's
  // own theme gives lists a dark text colour of its own, unreadable on the palette's fills.
  rule("list, listbox", "background-color: transparent; color: inherit;");
  rule("list.boxed-list, listbox.boxed-list",
       std::format("background-color: @surface; color: @on-surface; border-radius: {}px;", r));
  rule("row", std::format("border-radius: {}px;", rs));
  rule("row:selected, list row:selected", "background-color: @accent; color: @on-accent;");
  rule(".sidebar", "background-color: @surface; color: @on-surface;");
  rule(".sidebar row", std::format("padding: {}px {}px;", s, m));
  rule(".sidebar row:selected", "background-color: @accent; color: @on-accent;");
  rule(".sidebar .section-header",
       std::format("padding: {}px {}px {}px {}px; font-size: {}px; font-weight: bold; "
                   "opacity: 0.55;",
                   m, m, xs, m, small));
  rule(".card", std::format("background-color: @surface; color: @on-surface; "
                            "border-radius: {}px; padding: {}px;",
                            r, m));
  rule(".chip, .pill", std::format("background-color: @overlay; color: @on-overlay; "
                                   "border-radius: {}px; padding: {}px {}px; font-size: {}px;",
                                   pill, xs, m, small));
  rule(".chip.active, .pill.active", "background-color: @accent; color: @on-accent;");
  rule("scrollbar", "background-color: transparent;");
  rule("scrollbar slider",
       std::format("background-color: alpha(@on-bg, 0.25); border-radius: {}px; min-width: 6px; "
                   "min-height: 6px;",
                   pill));
  rule("scrollbar slider:hover", "background-color: alpha(@on-bg, 0.45);");
  rule("textview, .mono", "font-family: monospace;");
  rule("textview text", "background-color: @surface; color: @on-surface;");
  return css;
}

}  // namespace

std::string generate_stylesheet(const ThemeColors& colors) {
  return palette_css(colors) + widget_rules(DesignTokens{});
}

std::filesystem::path runtime_stylesheet_path() {
  std::filesystem::path base = "/tmp";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0' && g_utf8_validate(runtime, -1, nullptr))
    base = runtime;
  else if (auto cache = detail::cache_dir())
    base = *cache;
  return base / "marl" / "theme.css";
}

}  // namespace marl::theme

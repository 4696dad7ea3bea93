#include "ui/modes.hpp"

#include <string>

namespace marlguide::ui {

std::optional<std::string_view> mode_class(DisplayMode mode) {
  switch (mode) {
    case DisplayMode::Beginner:
      return "beginner-mode";
    case DisplayMode::Dad:
      return "dad-mode";
    case DisplayMode::Compact:
      return "compact-mode";
    case DisplayMode::Normal:
      break;
  }
  return std::nullopt;
}

DisplayMode mode_from_position(unsigned position) {
  return position <= static_cast<unsigned>(DisplayMode::Compact)
             ? static_cast<DisplayMode>(position)
             : DisplayMode::Normal;
}

void apply_display_mode(Gtk::Widget& window, DisplayMode mode) {
  for (auto m : {DisplayMode::Beginner, DisplayMode::Dad, DisplayMode::Compact})
    window.remove_css_class(std::string(*mode_class(m)));
  if (auto cls = mode_class(mode)) window.add_css_class(std::string(*cls));
}

}  // namespace marlguide::ui

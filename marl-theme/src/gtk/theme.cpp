#include "marl-theme/theme.hpp"

#include <giomm/file.h>
#include <glib.h>

#include <filesystem>
#include <format>
#include <optional>
#include <string>
#include <vector>

#include "marl-theme/colors.hpp"
#include "marl-theme/message.hpp"
#include "marl-theme/stylesheet.hpp"
#include "xdg.hpp"

namespace marl::theme {
namespace fs = std::filesystem;
namespace {

Glib::RefPtr<Gio::FileMonitor>& monitor_slot() {
  thread_local Glib::RefPtr<Gio::FileMonitor> monitor;
  return monitor;
}

std::optional<std::string> read_stylesheet(const fs::path& path) {
  auto text = detail::read_file(path);
  if (!text || !g_utf8_validate_len(text->data(), text->size(), nullptr)) return std::nullopt;
  return text;
}

// Paths are the same when their components are: repeated or trailing separators and "."
// steps do not count.
std::vector<std::string> components(const fs::path& path) {
  std::vector<std::string> parts;
  for (const auto& part : path) {
    const auto& text = part.native();
    if (text.empty() || (text == "." && !parts.empty())) continue;
    parts.push_back(text);
  }
  return parts;
}

bool is_watched(const Glib::RefPtr<Gio::File>& file, const std::vector<std::string>& watched) {
  if (!file) return false;
  const std::string path = file->get_path();
  return !path.empty() && components(path) == watched;
}

}  // namespace

ProviderSlot& theme_slot() {
  thread_local ProviderSlot slot;
  return slot;
}

void apply_theme() {
  const fs::path path = runtime_stylesheet_path();
  const auto runtime = read_stylesheet(path);
  load_stylesheet(runtime ? *runtime : generate_stylesheet(load_theme_colors()), theme_slot());
  const auto& errors = theme_slot().last_errors();
  if (!errors.empty())
    report(std::format(
        "{}: GTK could not read {} part(s) of the stylesheet (the first at {}); "
        "the rest is applied",
        runtime ? path.string() : "the generated theme", errors.size(), errors.front()));
}

Glib::RefPtr<Gio::FileMonitor> watch_runtime_stylesheet(std::function<void()> on_change) {
  const fs::path path = runtime_stylesheet_path();
  const fs::path dir = path.parent_path();
  if (dir.empty()) return nullptr;
  std::error_code ignored;
  fs::create_directories(dir, ignored);

  Glib::RefPtr<Gio::FileMonitor> monitor;
  try {
    monitor = Gio::File::create_for_path(dir.string())
                  ->monitor_directory(Gio::FileMonitorFlags::WATCH_MOVES);
  } catch (const Glib::Error&) {
    return nullptr;
  }
  // The handler owns the watched path and the operation; both go when the monitor does.
  monitor->signal_changed().connect([watched = components(path), on_change = std::move(on_change)](
                                        const Glib::RefPtr<Gio::File>& file,
                                        const Glib::RefPtr<Gio::File>& other,
                                        Gio::FileMonitor::Event) {
    if (is_watched(file, watched) || is_watched(other, watched)) on_change();
  });
  return monitor;
}

void apply_and_watch_theme() {
  apply_theme();
  auto& monitor = monitor_slot();
  if (!monitor) monitor = watch_runtime_stylesheet(&apply_theme);
}

Glib::RefPtr<Gio::FileMonitor> theme_monitor() { return monitor_slot(); }

}  // namespace marl::theme

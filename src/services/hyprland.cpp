#include "services/hyprland.hpp"

#include <gdk/gdk.h>

#include "services/exec.hpp"
#include "util/message.hpp"

namespace marlguide::services {
namespace {

using namespace std::chrono_literals;

// How long a query may hold the main loop on a compositor that does not answer.
constexpr auto kQueryLimit = 3000ms;

template <typename T>
std::vector<T> query(const char* what, std::vector<T> (*decode)(const nlohmann::json&)) {
  auto doc = hyprctl_json({"-j", what});
  if (!doc) return {};
  return decode(*doc);
}

}  // namespace

std::optional<nlohmann::json> hyprctl_json(const std::vector<std::string>& args) {
  const CommandOutput out = run_captured("hyprctl", args, kQueryLimit);
  if (!out.success) return std::nullopt;
  return parse_hyprctl_json(out.stdout);
}

std::vector<Layer> layers() { return query("layers", decode_layers); }
std::vector<Client> clients() { return query("clients", decode_clients); }
std::vector<Monitor> monitors() { return query("monitors", decode_monitors); }

void keyword_bind(std::string_view binding) {
  if (auto started = start_inherited({"hyprctl", "keyword", "bind", std::string(binding)});
      !started)
    report("hyprctl rebind failed: {}", started.error());
}

bool target_present(const StepTarget& target) {
  switch (target.kind) {
    case StepTarget::Kind::Nothing:
      return true;
    case StepTarget::Kind::Namespace:
      return find_layer(layers(), target.text) != nullptr;
    case StepTarget::Kind::WindowClass:
      return find_client(clients(), target.text) != nullptr;
  }
  return false;
}

std::optional<TargetPlacement> target_placement(const StepTarget& target,
                                                const Glib::RefPtr<Gdk::Display>& display) {
  switch (target.kind) {
    case StepTarget::Kind::Nothing:
      return std::nullopt;
    case StepTarget::Kind::Namespace: {
      const auto found = layers();
      const Layer* layer = find_layer(found, target.text);
      if (!layer) return std::nullopt;
      auto monitor = monitor_by_connector(display, layer->monitor);
      if (!monitor) return std::nullopt;
      return TargetPlacement{monitor, layer->x, layer->y, layer->w, layer->h};
    }
    case StepTarget::Kind::WindowClass: {
      const auto windows = clients();
      const Client* client = find_client(windows, target.text);
      if (!client) return std::nullopt;
      const auto outputs = monitors();
      const Monitor* output = find_monitor(outputs, client->monitor);
      if (!output) return std::nullopt;
      auto monitor = monitor_by_connector(display, output->name);
      if (!monitor) return std::nullopt;
      return TargetPlacement{monitor, client->at[0], client->at[1], client->size[0],
                             client->size[1]};
    }
  }
  return std::nullopt;
}

Glib::RefPtr<Gdk::Monitor> focused_monitor(const Glib::RefPtr<Gdk::Display>& display) {
  const auto outputs = monitors();
  for (const auto& m : outputs)
    if (m.focused) return monitor_by_connector(display, m.name);
  return {};
}

Glib::RefPtr<Gdk::Monitor> monitor_by_connector(const Glib::RefPtr<Gdk::Display>& display,
                                                std::string_view connector) {
  if (!display) return {};
  GListModel* list = gdk_display_get_monitors(display->gobj());
  const guint n = g_list_model_get_n_items(list);
  for (guint i = 0; i < n; ++i) {
    GObject* item = static_cast<GObject*>(g_list_model_get_item(list, i));
    if (!item) continue;
    if (GDK_IS_MONITOR(item)) {
      const char* name = gdk_monitor_get_connector(GDK_MONITOR(item));
      // Glib::wrap takes over the reference that g_list_model_get_item returned.
      if (name && connector == name) return Glib::wrap(GDK_MONITOR(item));
    }
    g_object_unref(item);
  }
  return {};
}

}  // namespace marlguide::services

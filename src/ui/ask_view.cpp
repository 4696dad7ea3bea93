#include "ui/ask_view.hpp"

#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>

#include <charconv>
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

#include "services/exec.hpp"
#include "ui/keybind_viewer.hpp"
#include "ui/learn_view.hpp"
#include "ui/object_ref.hpp"

namespace marlguide::ui {
namespace {

// What the page's handlers share; nothing in it changes after the build. The detail pane is
// watched, not held, so that the handlers do not keep the page alive.
struct AskState {
  std::shared_ptr<const std::vector<content::Guide>> guides;
  std::shared_ptr<const std::vector<content::Keybind>> keybinds;
  std::vector<content::SearchItem> index;
  bool beginner = false;
  WeakRef<GtkBox> detail;
};

Gtk::ListBoxRow* result_row(const content::SearchItem& item, std::size_t position) {
  auto* label = Gtk::make_managed<Gtk::Label>(item.row_text);
  label->set_xalign(0);
  label->set_wrap(true);
  label->set_margin_top(6);
  label->set_margin_bottom(6);
  label->set_margin_start(8);
  label->set_margin_end(8);
  auto* row = Gtk::make_managed<Gtk::ListBoxRow>();
  row->set_name(std::to_string(position));
  row->set_child(*label);
  return row;
}

Gtk::Widget* guide_detail(const AskState& state, const content::GuideKey& key) {
  for (const auto& guide : *state.guides)
    if (guide.category == key.category && guide.id == key.id)
      return guide_page(guide, state.beginner, *state.keybinds);
  return nullptr;
}

Gtk::Widget* keybind_detail(const content::Keybind& keybind) {
  auto* list = Gtk::make_managed<Gtk::ListBox>();
  list->set_selection_mode(Gtk::SelectionMode::NONE);
  list->add_css_class("boxed-list");
  list->append(*keybind_row(keybind));
  return list;
}

std::vector<Gtk::Widget*> command_detail(const content::CommandEntry& command) {
  auto* name = Gtk::make_managed<Gtk::Label>(std::string(command.name));
  name->add_css_class("page-title");
  name->set_xalign(0);
  auto* description = Gtk::make_managed<Gtk::Label>(std::string(command.description));
  description->set_wrap(true);
  description->set_xalign(0);
  auto* run = Gtk::make_managed<Gtk::Button>("Run");
  run->set_halign(Gtk::Align::START);
  run->signal_clicked().connect(
      [line = std::string(command.name)] { services::launch_detached(line); });
  return {name, description, run};
}

void show_result(const AskState& state, const Gtk::ListBoxRow& row) {
  const auto position = result_position(row.get_name().raw(), state.index.size());
  if (!position) return;
  auto detail = state.detail.get();
  if (!detail) return;
  while (GtkWidget* child = gtk_widget_get_first_child(GTK_WIDGET(detail.get())))
    gtk_box_remove(detail.get(), child);

  std::vector<Gtk::Widget*> shown = std::visit(
      [&](const auto& target) -> std::vector<Gtk::Widget*> {
        using T = std::decay_t<decltype(target)>;
        if constexpr (std::is_same_v<T, content::GuideKey>) {
          if (auto* page = guide_detail(state, target)) return {page};
          return {};
        } else if constexpr (std::is_same_v<T, content::Keybind>) {
          return {keybind_detail(target)};
        } else {
          return command_detail(target);
        }
      },
      state.index[*position].target);
  for (auto* widget : shown) gtk_box_append(detail.get(), widget->gobj());
}

}  // namespace

std::optional<std::size_t> result_position(std::string_view row_name, std::size_t index_size) {
  if (row_name.starts_with('+')) row_name.remove_prefix(1);
  std::uint64_t value = 0;
  const char* end = row_name.data() + row_name.size();
  const auto [stop, error] = std::from_chars(row_name.data(), end, value);
  if (row_name.empty() || error != std::errc{} || stop != end || value >= index_size)
    return std::nullopt;
  return static_cast<std::size_t>(value);
}

void filter_results(Gtk::ListBox& results, std::span<const content::SearchItem> index,
                    std::string_view query) {
  results.remove_all();
  for (const std::size_t position : content::matching_items(index, query, kMaxResults))
    results.append(*result_row(index[position], position));
}

Gtk::Paned* ask_view(std::shared_ptr<const std::vector<content::Guide>> guides,
                     std::shared_ptr<const std::vector<content::Keybind>> keybinds,
                     config::DisplayMode mode) {
  auto* paned = Gtk::make_managed<Gtk::Paned>(Gtk::Orientation::HORIZONTAL);
  paned->set_position(320);
  paned->set_shrink_start_child(false);
  paned->set_resize_start_child(false);

  auto* search = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 8);
  search->add_css_class("view-content");
  auto* entry = Gtk::make_managed<Gtk::Entry>();
  entry->set_placeholder_text("Search guides, keybinds, commands…");
  search->append(*entry);
  auto* results = Gtk::make_managed<Gtk::ListBox>();
  results->set_selection_mode(Gtk::SelectionMode::NONE);
  results->set_activate_on_single_click(true);
  results->add_css_class("boxed-list");
  auto* results_scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
  results_scroller->set_vexpand(true);
  results_scroller->set_child(*results);
  search->append(*results_scroller);
  paned->set_start_child(*search);

  auto* detail = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 10);
  detail->add_css_class("view-content");
  auto* detail_scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
  detail_scroller->set_vexpand(true);
  detail_scroller->set_hexpand(true);
  detail_scroller->set_child(*detail);
  paned->set_end_child(*detail_scroller);

  const bool beginner = mode == config::DisplayMode::Beginner || mode == config::DisplayMode::Dad;
  auto index = content::build_search_index(*guides, *keybinds);
  auto state = std::make_shared<const AskState>(AskState{std::move(guides), std::move(keybinds),
                                                         std::move(index), beginner,
                                                         WeakRef<GtkBox>(detail->gobj())});

  filter_results(*results, state->index, "");
  const auto list = hold(results->gobj());
  entry->signal_changed().connect([state, entry, list] {
    filter_results(*Glib::wrap(list.get()), state->index, entry->get_text().raw());
  });
  results->signal_row_activated().connect(
      [state](Gtk::ListBoxRow* row) { show_result(*state, *row); });

  // Enter picks the first result, as in any search field.
  entry->signal_activate().connect([list] {
    if (GtkListBoxRow* first = gtk_list_box_get_row_at_index(list.get(), 0))
      gtk_widget_activate(GTK_WIDGET(first));
  });
  // Whoever opens the page means to type. The focus moves once the page switch is over: a
  // stack that held the focus in the previous page passes it on to the new page's first
  // widget after mapping it.
  paned->signal_map().connect([search = WeakRef<GtkEntry>(entry->gobj())] {
    Glib::signal_idle().connect_once([search] {
      if (auto e = search.get()) gtk_widget_grab_focus(GTK_WIDGET(e.get()));
    });
  });
  return paned;
}

}  // namespace marlguide::ui

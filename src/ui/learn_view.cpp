#include "ui/learn_view.hpp"

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/listboxrow.h>
#include <gtkmm/stack.h>

#include <algorithm>
#include <format>
#include <optional>

#include "content/markdown.hpp"
#include "content/text.hpp"
#include "ui/markdown.hpp"

namespace marlguide::ui {
namespace {

std::string upper_first(std::string_view piece) {
  if (piece.empty()) return {};
  // The first character is one UTF-8 sequence: a lead byte and its continuation bytes.
  std::size_t end = 1;
  while (end < piece.size() && (static_cast<unsigned char>(piece[end]) & 0xC0) == 0x80) ++end;
  return content::to_upper(piece.substr(0, end)) + std::string(piece.substr(end));
}

Gtk::ListBoxRow* section_row(std::string_view category) {
  auto* label = Gtk::make_managed<Gtk::Label>(section_title(category));
  label->add_css_class("section-header");
  label->set_xalign(0);
  auto* row = Gtk::make_managed<Gtk::ListBoxRow>();
  row->set_selectable(false);
  row->set_activatable(false);
  row->set_child(*label);
  return row;
}

Gtk::ListBoxRow* guide_row(const content::Guide& guide, const std::string& name) {
  auto* label = Gtk::make_managed<Gtk::Label>(guide.meta.title);
  label->set_xalign(0);
  label->set_margin_top(4);
  label->set_margin_bottom(4);
  label->set_margin_start(8);
  auto* row = Gtk::make_managed<Gtk::ListBoxRow>();
  row->set_name(name);
  row->set_child(*label);
  return row;
}

}  // namespace

std::string section_title(std::string_view category) {
  std::string title;
  while (true) {
    const auto dash = category.find('-');
    title += upper_first(category.substr(0, dash));
    if (dash == std::string_view::npos) break;
    title += ' ';
    category.remove_prefix(dash + 1);
  }
  return title;
}

std::string page_name(const content::Guide& guide) {
  return std::format("{}/{}", guide.category, guide.id);
}

Gtk::ScrolledWindow* guide_page(const content::Guide& guide, bool beginner,
                                const std::vector<content::Keybind>& keybinds) {
  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 12);
  box->add_css_class("view-content");
  auto* title = Gtk::make_managed<Gtk::Label>(guide.meta.title);
  title->add_css_class("page-title");
  title->set_xalign(0);
  box->append(*title);
  const auto blocks = content::parse_blocks(content::guide_text(guide, beginner));
  box->append(*render_blocks(blocks, keybinds));

  auto* scrolled = Gtk::make_managed<Gtk::ScrolledWindow>();
  scrolled->set_child(*box);
  scrolled->set_vexpand(true);
  scrolled->set_hexpand(true);
  return scrolled;
}

Gtk::Paned* learn_view(const std::vector<content::Guide>& guides,
                       const std::vector<content::Keybind>& keybinds, config::DisplayMode mode) {
  const bool beginner = mode == config::DisplayMode::Beginner || mode == config::DisplayMode::Dad;

  auto* paned = Gtk::make_managed<Gtk::Paned>(Gtk::Orientation::HORIZONTAL);
  paned->set_position(220);
  paned->set_shrink_start_child(false);
  paned->set_resize_start_child(false);

  auto* sidebar = Gtk::make_managed<Gtk::ListBox>();
  sidebar->set_selection_mode(Gtk::SelectionMode::SINGLE);
  sidebar->add_css_class("sidebar");

  auto* stack = Gtk::make_managed<Gtk::Stack>();
  stack->set_hexpand(true);
  stack->set_vexpand(true);

  std::vector<std::string_view> sections;
  for (const auto& guide : guides)
    if (std::ranges::find(sections, guide.category) == sections.end())
      sections.push_back(guide.category);

  std::optional<std::string> first_page;
  for (const auto category : sections) {
    sidebar->append(*section_row(category));
    for (const auto& guide : guides) {
      if (guide.category != category) continue;
      std::string name = page_name(guide);
      sidebar->append(*guide_row(guide, name));
      stack->add(*guide_page(guide, beginner, keybinds), name);
      if (!first_page) first_page = std::move(name);
    }
  }

  if (first_page) {
    stack->set_visible_child(*first_page);
    for (int i = 0; auto* row = sidebar->get_row_at_index(i); ++i) {
      if (row->get_name() == *first_page) {
        sidebar->select_row(*row);
        break;
      }
    }
  }

  // Connected after the first selection so that it does not reach the handler.
  sidebar->signal_row_selected().connect([stack](Gtk::ListBoxRow* row) {
    if (!row) return;
    const Glib::ustring name = row->get_name();
    if (!name.empty()) stack->set_visible_child(name);
  });

  auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
  scroller->set_child(*sidebar);
  scroller->set_size_request(220, -1);
  paned->set_start_child(*scroller);
  paned->set_end_child(*stack);
  return paned;
}

}  // namespace marlguide::ui

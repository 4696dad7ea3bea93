#include "ui/keybind_viewer.hpp"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/popover.h>
#include <gtkmm/scrolledwindow.h>

#include <format>

#include "content/text.hpp"
#include "services/exec.hpp"
#include "services/hyprland.hpp"
#include "ui/accessible.hpp"
#include "ui/object_ref.hpp"

namespace marlguide::ui {
namespace {

constexpr const char* kTemporaryNote =
    "Temporary — resets on reload/login.\nEdit hyprland.lua for a permanent change.";

Gtk::MenuButton* rebind_button(const std::string& dispatcher) {
  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 8);
  box->set_margin(10);

  auto* note = Gtk::make_managed<Gtk::Label>(kTemporaryNote);
  note->add_css_class("dim-label");
  note->set_wrap(true);
  box->append(*note);

  auto* entry = Gtk::make_managed<Gtk::Entry>();
  entry->set_placeholder_text("e.g. super + shift + u");
  box->append(*entry);

  auto* apply = Gtk::make_managed<Gtk::Button>("Apply temporarily");
  apply->add_css_class("suggested-action");
  box->append(*apply);

  auto* popover = Gtk::make_managed<Gtk::Popover>();
  popover->set_child(*box);

  // The entry is a sibling of the button and goes away with it; the popover may be gone
  // first (its menu button destroyed while a click is being handled), hence the weak
  // reference.
  apply->signal_clicked().connect(
      [dispatcher, entry = hold(entry->gobj()), popover = WeakRef<GtkPopover>(popover->gobj())] {
        const auto binding =
            temporary_binding(gtk_editable_get_text(GTK_EDITABLE(entry.get())), dispatcher);
        if (!binding) return;
        services::keyword_bind(*binding);
        if (auto open = popover.get()) gtk_popover_popdown(open.get());
      });

  auto* button = Gtk::make_managed<Gtk::MenuButton>();
  button->set_icon_name("document-edit-symbolic");
  button->set_tooltip_text("Temporary rebind");
  set_accessible_label(*button, "Temporary rebind");
  button->set_popover(*popover);
  return button;
}

}  // namespace

std::optional<std::string> temporary_binding(std::string_view entry_text,
                                             std::string_view dispatcher) {
  if (content::trim_white_space(entry_text).empty()) return std::nullopt;
  const std::string keys = services::binding_keys(entry_text);
  if (keys.empty()) return std::nullopt;
  return std::format("{},{}", keys, dispatcher);
}

Gtk::ListBoxRow* keybind_row(const content::Keybind& keybind) {
  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);
  box->set_margin_top(6);
  box->set_margin_bottom(6);
  box->set_margin_start(8);
  box->set_margin_end(8);

  auto* chip = Gtk::make_managed<Gtk::Label>(keybind.combo);
  chip->add_css_class("keybind-chip");
  chip->set_width_chars(20);
  chip->set_xalign(0);
  box->append(*chip);

  auto* description = Gtk::make_managed<Gtk::Label>(keybind.description);
  description->set_hexpand(true);
  description->set_xalign(0);
  description->set_wrap(true);
  box->append(*description);

  if (keybind.demo_cmd) {
    auto* try_it = Gtk::make_managed<Gtk::Button>("Try it");
    try_it->signal_clicked().connect(
        [command = *keybind.demo_cmd] { services::launch_detached(command); });
    box->append(*try_it);
  }
  if (keybind.dispatcher) box->append(*rebind_button(*keybind.dispatcher));

  auto* row = Gtk::make_managed<Gtk::ListBoxRow>();
  row->set_selectable(false);
  row->set_child(*box);
  return row;
}

Gtk::Widget* keybinds_section(const std::vector<content::Keybind>& keybinds) {
  auto* section = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 6);
  auto* title = Gtk::make_managed<Gtk::Label>("Keybinds");
  title->add_css_class("page-title");
  title->set_xalign(0);
  section->append(*title);

  if (keybinds.empty()) {
    auto* none = Gtk::make_managed<Gtk::Label>("No binds.json found at ~/.config/hypr/binds.json");
    none->add_css_class("dim-label");
    section->append(*none);
    return section;
  }

  auto* list = Gtk::make_managed<Gtk::ListBox>();
  list->set_selection_mode(Gtk::SelectionMode::NONE);
  list->add_css_class("boxed-list");
  for (const auto& keybind : keybinds) list->append(*keybind_row(keybind));

  auto* scrolled = Gtk::make_managed<Gtk::ScrolledWindow>();
  scrolled->set_min_content_height(320);
  scrolled->set_vexpand(true);
  scrolled->set_child(*list);
  section->append(*scrolled);
  return section;
}

}  // namespace marlguide::ui

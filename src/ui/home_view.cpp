#include "ui/home_view.hpp"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/dropdown.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stringlist.h>

#include "config/state.hpp"
#include "ui/accessible.hpp"
#include "ui/modes.hpp"

namespace marlguide::ui {
namespace {

Gtk::Widget* header_row(Gtk::Window& main_window, DisplayMode mode) {
  auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);

  auto* title = Gtk::make_managed<Gtk::Label>("Home");
  title->add_css_class("page-title");
  title->set_halign(Gtk::Align::START);
  title->set_hexpand(true);
  row->append(*title);

  auto modes = Gtk::StringList::create({"Normal", "Beginner", "Dad", "Compact"});
  auto* mode_switch = Gtk::make_managed<Gtk::DropDown>(modes);
  mode_switch->set_selected(static_cast<unsigned>(mode));
  mode_switch->set_tooltip_text("Display mode");
  set_accessible_label(*mode_switch, "Display mode");
  // The window outlives its pages, so a plain pointer is safe here.
  Gtk::Window* window = &main_window;
  mode_switch->property_selected().signal_changed().connect([mode_switch, window] {
    const DisplayMode chosen = mode_from_position(mode_switch->get_selected());
    apply_display_mode(*window, chosen);
    config::StateFile state = config::load_state();
    config::set_mode(state, chosen);
  });
  row->append(*mode_switch);
  return row;
}

}  // namespace

HomeView build_home_view(Gtk::Window& main_window, DisplayMode mode) {
  auto* page = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 16);
  page->add_css_class("view-content");
  page->append(*header_row(main_window, mode));

  auto* revealer = Gtk::make_managed<Gtk::Revealer>();
  revealer->set_transition_type(Gtk::RevealerTransitionType::SLIDE_DOWN);
  revealer->set_reveal_child(false);
  auto* banner = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
  banner->add_css_class("card");
  banner->set_margin_top(4);
  banner->set_margin_bottom(4);
  auto* label = Gtk::make_managed<Gtk::Label>();
  label->set_wrap(true);
  label->set_halign(Gtk::Align::START);
  label->set_hexpand(true);
  banner->append(*label);
  auto* dismiss = Gtk::make_managed<Gtk::Button>();
  dismiss->set_icon_name("window-close-symbolic");
  dismiss->set_tooltip_text("Dismiss");
  set_accessible_label(*dismiss, "Dismiss");
  dismiss->signal_clicked().connect([revealer] { revealer->set_reveal_child(false); });
  banner->append(*dismiss);
  revealer->set_child(*banner);
  page->append(*revealer);

  auto* root = Gtk::make_managed<Gtk::ScrolledWindow>();
  root->set_child(*page);
  root->set_hexpand(true);
  root->set_vexpand(true);
  return HomeView{root, revealer, label};
}

}  // namespace marlguide::ui

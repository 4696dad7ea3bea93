#include "ui/home_view.hpp"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/dropdown.h>
#include <gtkmm/flowbox.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stringlist.h>

#include <string>

#include "config/state.hpp"
#include "services/exec.hpp"
#include "ui/accessible.hpp"
#include "ui/keybind_viewer.hpp"
#include "ui/modes.hpp"
#include "ui/object_ref.hpp"
#include "ui/tour/tour.hpp"
#include "ui/troubleshoot_wizard.hpp"

namespace marlguide::ui {
namespace {

struct QuickFix {
  const char* name;  // the button's label and the status line's subject
  const char* command;
};

constexpr QuickFix kQuickFixes[] = {
    {"Fix sound",
     "systemctl --user restart wireplumber pipewire pipewire.socket pipewire-pulse "
     "pipewire-pulse.socket"},
    {"Reconnect Wi-Fi", "nmcli radio wifi off && sleep 1 && nmcli radio wifi on"},
    {"Update everything", "mos-update"},
    {"Create backup", "snapper -c root create --description 'marlguide manual backup'"},
};

Gtk::Widget* header_row(Gtk::Window& main_window, DisplayMode mode) {
  auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 12);

  auto* title = Gtk::make_managed<Gtk::Label>("Home");
  title->add_css_class("page-title");
  title->set_xalign(0);
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

Gtk::Widget* suggestion_banner(Gtk::Revealer*& revealer, Gtk::Label*& label) {
  revealer = Gtk::make_managed<Gtk::Revealer>();
  revealer->set_transition_type(Gtk::RevealerTransitionType::SLIDE_DOWN);
  revealer->set_reveal_child(false);
  auto* banner = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
  banner->add_css_class("card");
  banner->set_margin_top(4);
  banner->set_margin_bottom(4);
  label = Gtk::make_managed<Gtk::Label>();
  label->set_wrap(true);
  label->set_xalign(0);
  label->set_hexpand(true);
  banner->append(*label);
  auto* dismiss = Gtk::make_managed<Gtk::Button>();
  dismiss->set_icon_name("window-close-symbolic");
  dismiss->set_tooltip_text("Dismiss");
  set_accessible_label(*dismiss, "Dismiss");
  // The banner's label keeps its text; the next suggestion replaces it.
  dismiss->signal_clicked().connect([r = revealer] { r->set_reveal_child(false); });
  banner->append(*dismiss);
  revealer->set_child(*banner);
  return revealer;
}

Gtk::Widget* quick_fix_section() {
  auto* section = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 8);
  auto* header = Gtk::make_managed<Gtk::Label>("Quick fixes");
  header->add_css_class("section-header");
  header->set_xalign(0);
  section->append(*header);

  auto* fixes = Gtk::make_managed<Gtk::FlowBox>();
  fixes->set_selection_mode(Gtk::SelectionMode::NONE);
  fixes->set_max_children_per_line(4);
  fixes->set_column_spacing(8);
  fixes->set_row_spacing(8);
  section->append(*fixes);

  // One line for all four fixes: it shows whichever reported last.
  auto* status = Gtk::make_managed<Gtk::Label>();
  status->set_xalign(0);
  status->add_css_class("dim-label");
  for (const auto& fix : kQuickFixes) {
    auto* button = Gtk::make_managed<Gtk::Button>(fix.name);
    button->signal_clicked().connect([fix, status = hold(status->gobj())] {
      services::run_named_with_status(fix.name, fix.command, *Glib::wrap(status.get()));
    });
    fixes->append(*button);
  }
  section->append(*status);
  return section;
}

}  // namespace

HomeView build_home_view(const std::vector<content::Keybind>& keybinds, Gtk::Window& main_window,
                         DisplayMode mode) {
  auto* page = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 16);
  page->add_css_class("view-content");
  page->append(*header_row(main_window, mode));

  HomeView view;
  page->append(*suggestion_banner(view.suggestion_revealer, view.suggestion_label));
  page->append(*quick_fix_section());

  Gtk::Window* window = &main_window;
  auto* wizard = Gtk::make_managed<Gtk::Button>("Something's wrong?");
  wizard->set_halign(Gtk::Align::START);
  wizard->signal_clicked().connect([window] { open_wizard(*window); });
  page->append(*wizard);

  auto* tour = Gtk::make_managed<Gtk::Button>("Replay the tour");
  tour->set_halign(Gtk::Align::START);
  // From the first step, whether or not it was finished before; the main window stays as it is.
  tour->signal_clicked().connect([window] { tour::restart_tour(window->get_display()); });
  page->append(*tour);

  page->append(*keybinds_section(keybinds));

  auto* root = Gtk::make_managed<Gtk::ScrolledWindow>();
  root->set_child(*page);
  root->set_hexpand(true);
  root->set_vexpand(true);
  view.root = root;
  return view;
}

}  // namespace marlguide::ui

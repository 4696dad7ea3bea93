#include "ui/troubleshoot_wizard.hpp"

#include <gtkmm/button.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/label.h>

#include <string>

#include "services/exec.hpp"

namespace marlguide::ui {
namespace {

// The content box for a page change; null once the wizard is gone.
std::shared_ptr<GtkBox> clear_page(const WizardState& state) {
  auto box = state.content.get();
  if (!box) return box;
  while (GtkWidget* child = gtk_widget_get_first_child(GTK_WIDGET(box.get())))
    gtk_box_remove(box.get(), child);
  return box;
}

void append(const std::shared_ptr<GtkBox>& box, Gtk::Widget& widget) {
  gtk_box_append(box.get(), widget.gobj());
}

Gtk::Label* label(const std::string& text) {
  auto* l = Gtk::make_managed<Gtk::Label>(text);
  l->set_xalign(0);
  return l;
}

Gtk::Button* button(const std::string& text) {
  auto* b = Gtk::make_managed<Gtk::Button>(text);
  b->set_halign(Gtk::Align::START);
  return b;
}

}  // namespace

void show_symptom_list(const std::shared_ptr<WizardState>& state) {
  auto box = clear_page(*state);
  if (!box) return;

  auto* title = label("What's wrong?");
  title->add_css_class("page-title");
  append(box, *title);

  bool any = false;
  for (const auto& known : content::known_symptoms()) {
    if (!state->symptoms.contains(known.id)) continue;
    auto* choice = button(std::string(known.title));
    choice->signal_clicked().connect([state, id = std::string(known.id)] {
      // Copies: the page change below releases this handler.
      const auto keep = state;
      show_node(keep, std::string(id), "start");
    });
    append(box, *choice);
    any = true;
  }
  if (!any) {
    auto* none = label("No troubleshooting guides installed.");
    none->add_css_class("dim-label");
    append(box, *none);
  }
}

void show_node(const std::shared_ptr<WizardState>& state, std::string_view symptom_id,
               std::string_view node_id) {
  // The callers' texts may live in the handler of a button this page change releases.
  const std::string symptom(symptom_id);
  const content::SymptomNode* node = content::find_node(state->symptoms, symptom, node_id);
  if (!node) {
    show_symptom_list(state);
    return;
  }
  auto box = clear_page(*state);
  if (!box) return;

  auto* prompt = label(node->prompt);
  prompt->set_wrap(true);
  append(box, *prompt);

  for (const auto& option : node->options) {
    auto* choice = button(option.label);
    choice->signal_clicked().connect(
        [state, target = content::resolve_goto(state->symptoms, symptom, option.go_to)] {
          const auto keep = state;
          const auto to = target;
          show_node(keep, to.symptom, to.node);
        });
    append(box, *choice);
  }

  if (node->fix) {
    append(box, *label(node->fix->description));
    auto* run = button("Run fix");
    run->add_css_class("suggested-action");
    append(box, *run);
    auto* status = label("");
    status->add_css_class("dim-label");
    append(box, *status);
    run->signal_clicked().connect([command = node->fix->command, status = hold(status->gobj())] {
      services::run_with_status(command, *Glib::wrap(status.get()));
    });
  }

  auto* again = button("Start over");
  again->signal_clicked().connect([state] {
    const auto keep = state;
    show_symptom_list(keep);
  });
  append(box, *again);
}

Gtk::Window* build_wizard_window(Gtk::Window& main_window) {
  // Managed: gtkmm deletes the wrapper once GTK has destroyed the closed window.
  auto* window = Gtk::make_managed<Gtk::Window>();
  window->set_transient_for(main_window);
  window->set_modal(true);
  window->set_title("Something's wrong?");
  window->set_default_size(480, 360);
  window->add_css_class("wizard-dialog");

  auto* header = Gtk::make_managed<Gtk::HeaderBar>();
  header->set_show_title_buttons(true);
  window->set_titlebar(*header);

  auto* content = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 12);
  content->add_css_class("view-content");
  auto state = std::make_shared<WizardState>(
      WizardState{WeakRef<GtkBox>(content->gobj()), content::load_symptoms()});
  show_symptom_list(state);
  window->set_child(*content);
  return window;
}

void open_wizard(Gtk::Window& main_window) { build_wizard_window(main_window)->present(); }

}  // namespace marlguide::ui

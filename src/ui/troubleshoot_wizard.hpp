#pragma once

#include <gtkmm/box.h>
#include <gtkmm/window.h>

#include <memory>
#include <string_view>

#include "content/symptoms.hpp"
#include "ui/object_ref.hpp"

// The troubleshooting wizard: a small modal window that walks through a symptom's questions
// to a fix. Forward only: "Start over" and unknown answers lead back to the first page.
namespace marlguide::ui {

// Shared by the wizard's handlers. The content box is watched, not held: the buttons inside it
// hold the state, and a strong reference back would keep a closed wizard alive.
struct WizardState {
  WeakRef<GtkBox> content;
  content::SymptomTable symptoms;
};

// The wizard over `main_window`, showing its first page, not yet presented. The symptom files
// are read now. Closing the window destroys it.
Gtk::Window* build_wizard_window(Gtk::Window& main_window);

// Builds the wizard and presents it.
void open_wizard(Gtk::Window& main_window);

// The first page: one button per known symptom that has a tree.
void show_symptom_list(const std::shared_ptr<WizardState>& state);

// A node's page, or the first page when the symptom or node does not exist.
void show_node(const std::shared_ptr<WizardState>& state, std::string_view symptom,
               std::string_view node);

}  // namespace marlguide::ui

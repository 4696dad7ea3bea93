#pragma once

// Helpers for tests that build the views in this process: walking widget trees, a private
// home, content roots and programs on PATH, and waiting on files that test commands write.

#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/viewport.h>
#include <gtkmm/widget.h>

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlguide::testing {

namespace fs = std::filesystem;

inline std::vector<Gtk::Widget*> children(Gtk::Widget& w) {
  std::vector<Gtk::Widget*> out;
  for (auto* c = w.get_first_child(); c; c = c->get_next_sibling()) out.push_back(c);
  return out;
}

template <typename T>
T& as(Gtk::Widget* w) {
  if (!w) throw std::runtime_error("no widget");
  auto* t = dynamic_cast<T*>(w);
  if (!t)
    throw std::runtime_error(std::string("unexpected widget ") + G_OBJECT_TYPE_NAME(w->gobj()));
  return *t;
}

// A scrolled window wraps a child that cannot scroll itself in a viewport.
inline Gtk::Widget* scrolled_child(Gtk::Widget* scrolled) {
  Gtk::Widget* child = as<Gtk::ScrolledWindow>(scrolled).get_child();
  if (auto* viewport = dynamic_cast<Gtk::Viewport*>(child)) return viewport->get_child();
  return child;
}

// Every descendant of `root` (itself included) of type T, in tree order.
template <typename T>
std::vector<T*> find_all(Gtk::Widget& root) {
  std::vector<T*> out;
  if (auto* t = dynamic_cast<T*>(&root)) out.push_back(t);
  for (auto* c : children(root)) {
    auto more = find_all<T>(*c);
    out.insert(out.end(), more.begin(), more.end());
  }
  return out;
}

// The one button labelled `label` under `root`.
inline Gtk::Button& button(Gtk::Widget& root, const std::string& label) {
  Gtk::Button* found = nullptr;
  for (auto* b : find_all<Gtk::Button>(root)) {
    if (b->get_label() != label) continue;
    if (found) throw std::runtime_error("two buttons labelled " + label);
    found = b;
  }
  if (!found) throw std::runtime_error("no button labelled " + label);
  return *found;
}

// What a page shows, in order: label texts as they read, buttons as "[label]".
inline std::vector<std::string> texts(Gtk::Widget& box) {
  std::vector<std::string> out;
  for (auto* w : children(box)) {
    if (auto* b = dynamic_cast<Gtk::Button*>(w))
      out.push_back("[" + b->get_label() + "]");
    else if (auto* l = dynamic_cast<Gtk::Label*>(w))
      out.push_back(l->get_text());
    else
      out.push_back(std::string("<") + G_OBJECT_TYPE_NAME(w->gobj()) + ">");
  }
  return out;
}

// Clicks a button or activates a row, as a user can: only when it is sensitive. Buttons get
// "clicked" directly, because their keyboard activation waits for a realized window.
inline void click(Gtk::Widget& w) {
  if (!w.is_sensitive()) throw std::runtime_error("clicking an insensitive widget");
  if (GTK_IS_BUTTON(w.gobj()))
    g_signal_emit_by_name(w.gobj(), "clicked");
  else
    gtk_widget_activate(w.gobj());
}

// Whether screen readers get `label` as the widget's name.
bool has_accessible_label(Gtk::Widget& w, const char* label);

// A private folder for one test, set as HOME and the XDG folders, with bin/ first on PATH and
// content/ as the system content root. Everything is put back at the end.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const fs::path& dir() const { return dir_; }
  fs::path system_content() const { return dir_ / "content"; }
  fs::path user_content() const { return dir_ / "data/marlguide/content"; }
  fs::path state_file() const { return dir_ / "config/marlguide/state.toml"; }

  // Writes `text` to the path under the sandbox, making its folders.
  fs::path write(const fs::path& relative, const std::string& text) const;
  // An executable script bin/<name> whose body follows "#!/bin/sh".
  void program(const std::string& name, const std::string& body) const;
  // A program that appends its arguments, one line per call, each as "<argument>", to the
  // returned file, and exits with `status`.
  fs::path recorder(const std::string& name, int status = 0) const;
  // Sets a variable for the rest of the test.
  void set(const char* name, const std::string& value);

  static std::string read(const fs::path& file);

 private:
  fs::path dir_;
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace marlguide::testing

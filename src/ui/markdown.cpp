#include "ui/markdown.hpp"

#include <glibmm/markup.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include <format>
#include <string>

#include "content/text.hpp"
#include "services/exec.hpp"

namespace marlguide::ui {
namespace {

Gtk::Widget* heading(const content::Heading& h) {
  auto* label = Gtk::make_managed<Gtk::Label>();
  label->set_markup(std::format("<b><span size='{}'>{}</span></b>",
                                h.level == 1 ? "large" : "medium",
                                Glib::Markup::escape_text(h.text).raw()));
  label->set_xalign(0);
  label->set_wrap(true);
  return label;
}

// Emphasis is markup made from the escaped text; unbalanced markers make markup that GTK
// refuses, and the label then stays empty rather than showing stray tags.
Gtk::Widget* text_label(const std::string& text) {
  auto* label = Gtk::make_managed<Gtk::Label>();
  label->set_markup(content::span_markup(text));
  label->set_wrap(true);
  label->set_max_width_chars(48);
  label->set_xalign(0);
  return label;
}

Gtk::Widget* run_button(const content::RunButton& run) {
  auto* button = Gtk::make_managed<Gtk::Button>(run.label);
  button->signal_clicked().connect([command = run.command] { services::launch_detached(command); });
  return button;
}

Gtk::Widget* key_chip(const content::KeyChip& chip, const std::vector<content::Keybind>& keybinds) {
  const auto bind = content::find_keybind(keybinds, chip.text);
  auto* label = Gtk::make_managed<Gtk::Label>(bind ? bind->combo : chip.text);
  label->add_css_class("keybind-chip");
  return label;
}

}  // namespace

Gtk::Box* render_line(const std::vector<content::Span>& spans,
                      const std::vector<content::Keybind>& keybinds) {
  auto* row = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
  for (const auto& span : spans) {
    if (const auto* text = std::get_if<content::Text>(&span)) {
      if (content::trim_white_space(text->text).empty()) continue;
      row->append(*text_label(text->text));
    } else if (const auto* run = std::get_if<content::RunButton>(&span)) {
      row->append(*run_button(*run));
    } else {
      row->append(*key_chip(std::get<content::KeyChip>(span), keybinds));
    }
  }
  return row;
}

Gtk::Box* render_blocks(const std::vector<content::Block>& blocks,
                        const std::vector<content::Keybind>& keybinds) {
  auto* box = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 10);
  for (const auto& block : blocks) {
    if (const auto* h = std::get_if<content::Heading>(&block)) {
      box->append(*heading(*h));
    } else if (const auto* p = std::get_if<content::Paragraph>(&block)) {
      box->append(*render_line(p->spans, keybinds));
    } else {
      auto* bullet = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
      bullet->append(*Gtk::make_managed<Gtk::Label>("•"));
      bullet->append(*render_line(std::get<content::Bullet>(block).spans, keybinds));
      box->append(*bullet);
    }
  }
  return box;
}

}  // namespace marlguide::ui

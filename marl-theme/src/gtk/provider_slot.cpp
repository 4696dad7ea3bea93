#include "marl-theme/provider_slot.hpp"

#include <gdkmm/display.h>
#include <gtkmm/csssection.h>
#include <gtkmm/stylecontext.h>

#include <format>
#include <string>

namespace marl::theme {

void load_stylesheet(std::string_view css, ProviderSlot& slot) {
  slot.errors_->clear();
  if (slot.provider_) {
    slot.provider_->load_from_string(std::string(css));
    return;
  }
  auto provider = Gtk::CssProvider::create();
  // Collected instead of GTK's warning per problem, so the owner can say it once, in its words.
  provider->signal_parsing_error().connect(
      [errors = slot.errors_](const Glib::RefPtr<const Gtk::CssSection>& section,
                              const Glib::Error& error) {
        const auto start = section->get_start_location();
        errors->push_back(std::format("{}:{}: {}", start.get_lines() + 1,
                                      start.get_line_chars() + 1, error.what()));
      });
  provider->load_from_string(std::string(css));
  Gtk::StyleProvider::add_provider_for_display(Gdk::Display::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  slot.provider_ = std::move(provider);
}

}  // namespace marl::theme

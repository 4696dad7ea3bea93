#include "marl-theme/provider_slot.hpp"

#include <gdkmm/display.h>
#include <gtkmm/stylecontext.h>

#include <string>

namespace marl::theme {

void load_stylesheet(std::string_view css, ProviderSlot& slot) {
  if (slot.provider_) {
    slot.provider_->load_from_string(std::string(css));
    return;
  }
  auto provider = Gtk::CssProvider::create();
  provider->load_from_string(std::string(css));
  Gtk::StyleProvider::add_provider_for_display(Gdk::Display::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  slot.provider_ = std::move(provider);
}

}  // namespace marl::theme

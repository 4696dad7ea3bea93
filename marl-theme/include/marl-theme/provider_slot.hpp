#pragma once

#include <gtkmm/cssprovider.h>

#include <string_view>

namespace marl::theme {

// One CSS provider on the default display, created on first load and reloaded in place after
// that, so repeated loads never stack providers. Use from the GTK main thread only.
class ProviderSlot {
 public:
  ProviderSlot() = default;
  ProviderSlot(const ProviderSlot&) = delete;
  ProviderSlot& operator=(const ProviderSlot&) = delete;

  // The provider, or null before the first load.
  Glib::RefPtr<Gtk::CssProvider> provider() const { return provider_; }

 private:
  friend void load_stylesheet(std::string_view css, ProviderSlot& slot);
  Glib::RefPtr<Gtk::CssProvider> provider_;
};

// Loads the stylesheet into the slot's provider at application priority (600), adding the
// provider to the default display the first time. A default display must exist.
void load_stylesheet(std::string_view css, ProviderSlot& slot);

}  // namespace marl::theme

#pragma once

#include <gtkmm/cssprovider.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

  // What GTK could not read in the last load, one "line:column: message" per problem (lines
  // and columns from 1). The rest of the text was applied.
  const std::vector<std::string>& last_errors() const { return *errors_; }

 private:
  friend void load_stylesheet(std::string_view css, ProviderSlot& slot);
  Glib::RefPtr<Gtk::CssProvider> provider_;
  // Shared with the provider's error handler, which may outlive the slot at thread exit.
  std::shared_ptr<std::vector<std::string>> errors_ = std::make_shared<std::vector<std::string>>();
};

// Loads the stylesheet into the slot's provider at application priority (600), adding the
// provider to the default display the first time. A default display must exist.
void load_stylesheet(std::string_view css, ProviderSlot& slot);

}  // namespace marl::theme

#pragma once

// The temporary key binding of a tour step: the user's own key runs its own program and then
// tells the running help centre that the step was done. Pure text building; nothing is run.

#include <optional>
#include <string>
#include <string_view>

namespace marlguide::ui::tour {

// Event names travel inside a shell command line, parsed once by the compositor's shell and
// once more by the inner `sh -c`, and through the compositor's own configuration syntax.
// Rather than escape for all three, only names that mean the same in each are accepted:
// one or more ASCII letters, digits, '.', '_' and '-'.
bool safe_event_name(std::string_view name);

// The text with every single quote replaced by '\'' so that it can sit between single quotes.
std::string escape_single_quotes(std::string_view text);

struct TemporaryRebind {
  std::string keys;     // the key part, "SUPER,E"
  std::string saved;    // the user's binding as it was: "SUPER,E,exec,thunar"
  std::string binding;  // the binding that replaces it for the step
};

// The replacement for the binding of `combo` whose dispatcher is `dispatcher`, reporting
// `event`. None when the binding does not start a program ("exec," and a command), when the
// combination holds no key, or when the event name is not safe.
std::optional<TemporaryRebind> temporary_rebind(std::string_view combo,
                                                const std::optional<std::string>& dispatcher,
                                                std::string_view event);

}  // namespace marlguide::ui::tour

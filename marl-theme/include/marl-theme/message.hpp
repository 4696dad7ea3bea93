#pragma once

#include <functional>
#include <string_view>

namespace marl::theme {

// Where the library's one-line messages go. By default each is written to standard error as
// "marl-theme: <text>"; a program hands its own reporter here to keep one message style.
using MessageHandler = std::function<void(std::string_view)>;
void set_message_handler(MessageHandler handler);

// Sends one message to the current handler.
void report(std::string_view text);

}  // namespace marl::theme

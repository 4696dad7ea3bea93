#include "marl-theme/message.hpp"

#include <cstdio>
#include <string>

namespace marl::theme {
namespace {

MessageHandler& handler() {
  static MessageHandler h;
  return h;
}

}  // namespace

void set_message_handler(MessageHandler h) { handler() = std::move(h); }

void report(std::string_view text) {
  if (handler()) {
    handler()(text);
    return;
  }
  std::string line = "marl-theme: ";
  for (char c : text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace marl::theme

#include "util/message.hpp"

#include <cstdio>
#include <string>

namespace marlguide {

void report(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 12);
  line.append("marlguide: ");
  // A message is one line: embedded line breaks would split it.
  for (char c : text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace marlguide

#include "util/message.hpp"

#include <cstdio>
#include <format>
#include <string>

namespace marlguide {

void report_as(std::string_view program, std::string_view text) {
  std::string line;
  line.reserve(program.size() + text.size() + 3);
  line.append(program);
  line.append(": ");
  // A message is one line: embedded line breaks would split it.
  for (char c : text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void report(std::string_view text) { report_as("marlguide", text); }

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (byte < 0x20 || byte == 0x7F)
      out += std::format("\\x{:02X}", byte);
    else
      out += c;
  }
  return out;
}

}  // namespace marlguide

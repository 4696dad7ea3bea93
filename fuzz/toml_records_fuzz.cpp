// The TOML record decoders (guide metadata, symptom trees, the tour) over arbitrary bytes:
// each either decodes the text or rejects it with one line.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.hpp"
#include "content/guides.hpp"
#include "content/symptoms.hpp"
#include "content/tour.hpp"

using namespace marlguide;
using fuzz::check;

namespace {

template <typename Result>
void check_rejection(const Result& result) {
  if (result) return;
  check(!result.error().empty(), "a rejection says why");
  check(result.error().find('\n') == std::string::npos, "a rejection is one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  check_rejection(content::parse_guide_meta(text));
  check_rejection(content::parse_tour(text));
  const auto nodes = content::parse_symptom_file(text);
  check_rejection(nodes);
  if (nodes) {
    for (const auto& node : *nodes)
      for (const auto& option : node.options)
        (void)content::resolve_goto(content::SymptomTable{{"s", *nodes}}, "s", option.go_to);
  }
  return 0;
}

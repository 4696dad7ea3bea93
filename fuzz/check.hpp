#pragma once

// A failed property stops the run like a crash, so libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace marlguide::fuzz {

inline void check(bool holds, std::string_view what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace marlguide::fuzz

#pragma once

#include <string_view>

namespace marlguide {

// Whether the bytes are well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF. NUL is a valid character.
bool is_valid_utf8(std::string_view bytes);

}  // namespace marlguide

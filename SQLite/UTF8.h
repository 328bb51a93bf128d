#pragma once

#include <string_view>

namespace sql {

// True when `bytes` is well-formed UTF-8: no stray continuation bytes, no truncated, overlong
// or surrogate sequences, nothing above U+10FFFF. The empty text is well-formed.
bool isValidUTF8(std::string_view bytes) noexcept;

}  // namespace sql

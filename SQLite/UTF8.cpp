#include "SQLite/UTF8.h"

#include <cstddef>

namespace sql {

bool isValidUTF8(std::string_view bytes) noexcept {
  const auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  std::size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char lead = byteAt(at);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    // The length of the sequence and the range its second byte must fall in; the narrower
    // ranges after E0, ED, F0 and F4 shut out overlong forms, surrogates and code points above
    // U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - at < length) return false;
    if (byteAt(at + 1) < low || byteAt(at + 1) > high) return false;
    for (std::size_t next = 2; next < length; ++next) {
      if ((byteAt(at + next) & 0xC0) != 0x80) return false;
    }
    at += length;
  }
  return true;
}

}  // namespace sql

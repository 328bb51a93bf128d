#include "SQLite/UUID.h"

namespace sql {
namespace {

constexpr std::size_t kCanonicalLength = 36;

bool isDashPosition(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

std::optional<std::uint8_t> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  return std::nullopt;
}

}  // namespace

std::optional<UUID> UUID::fromString(std::string_view text) {
  if (text.size() != kCanonicalLength) return std::nullopt;
  UUID uuid;
  std::size_t nibble = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isDashPosition(i)) {
      if (text[i] != '-') return std::nullopt;
      continue;
    }
    const auto digit = hexDigit(text[i]);
    if (!digit) return std::nullopt;
    auto& byte = uuid.bytes[nibble / 2];
    byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? *digit << 4 : byte | *digit);
    ++nibble;
  }
  return uuid;
}

std::string UUID::uuidString() const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(kCanonicalLength);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
    text.push_back(digits[bytes[i] >> 4]);
    text.push_back(digits[bytes[i] & 0x0f]);
  }
  return text;
}

}  // namespace sql

#include "SQLite/Blob.h"

namespace sql {

Blob::Blob(const void* data, std::size_t length) {
  if (length == 0) return;
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes.assign(first, first + length);
}

std::string Blob::toHex() const {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    hex.push_back(digits[byte >> 4]);
    hex.push_back(digits[byte & 0x0f]);
  }
  return hex;
}

std::string Blob::description() const { return "x'" + toHex() + "'"; }

}  // namespace sql

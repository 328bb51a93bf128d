#pragma once

#include <random>
#include <string>
#include <vector>

namespace platform::testing {

// Random bytes, biased towards the lead and continuation bytes, combining marks, joiners and
// regional indicators that make UTF-8 decoding and character breaking interesting.
inline std::string randomText(std::mt19937& random, std::size_t size) {
  static const std::vector<unsigned char> alphabet = {
      'a',  ' ',  '\n', '\r', 0x80, 0xBF, 0xC0, 0xC3, 0xA9, 0xCC, 0x81, 0xE0, 0xE2, 0x82, 0xAC,
      0xED, 0xA0, 0xF0, 0x9F, 0x98, 0xF4, 0x90, 0xF5, 0xFF, 0xE2, 0x80, 0x8D, 0x87, 0xA6};
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(alphabet[pick(random)]));
  return bytes;
}

}  // namespace platform::testing

#pragma once

#include <cstddef>

namespace platform {

// A range of text positions, counted in UTF-16 code units.
struct TextRange {
  std::size_t location = 0;
  std::size_t length = 0;

  std::size_t end() const { return location + length; }
  bool contains(std::size_t position) const { return position >= location && position < end(); }
  bool operator==(const TextRange&) const = default;
};

}  // namespace platform

#pragma once

#include "Platform/Core/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::unicode {

// Converts positions of one UTF-8 text between bytes and UTF-16 units in O(log n) per call, after
// one O(n) pass; for code that converts many positions of the same text (layout, attribute runs,
// the simulated desktop's caret and selection). Every answer equals that of the free functions in
// Platform/Core/Unicode.h for the same text, ill-formed bytes included.
//
// The index keeps a view of `utf8`, which must outlive it and stay unchanged. Immutable after
// construction: safe to share between threads.
class UTF16Index {
 public:
  explicit UTF16Index(std::string_view utf8);

  std::string_view text() const { return text_; }
  std::size_t utf16Length() const { return utf16Length_; }

  std::size_t utf16Offset(std::size_t byteOffset) const;
  std::size_t byteOffset(std::size_t offset) const;
  ByteRange byteRange(UTF16Range range) const;
  UTF16Range utf16Range(ByteRange range) const;

 private:
  // A code point whose byte count and UTF-16 unit count differ from 1 and 1; ASCII needs no entry,
  // since between entries bytes and units advance together.
  struct Wide {
    std::size_t byteOffset;
    std::size_t utf16Offset;
    std::uint8_t bytes;
    std::uint8_t units;
  };

  const Wide* lastWideAtOrBeforeByte(std::size_t byteOffset) const;
  const Wide* lastWideAtOrBeforeUnit(std::size_t offset) const;

  std::string_view text_;
  std::vector<Wide> wide_;
  std::size_t utf16Length_ = 0;
};

}  // namespace platform::unicode

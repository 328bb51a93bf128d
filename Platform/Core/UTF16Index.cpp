#include "Platform/Core/UTF16Index.h"

#include <unicode/utf16.h>

#include <algorithm>

namespace platform::unicode {

UTF16Index::UTF16Index(std::string_view utf8) : text_(utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    const CodePoint codePoint = codePointAt(utf8, at);
    const auto units = static_cast<std::size_t>(U16_LENGTH(codePoint.value));
    if (codePoint.size != 1 || units != 1) {
      wide_.push_back(
          {at, utf16Length_, static_cast<std::uint8_t>(codePoint.size), static_cast<std::uint8_t>(units)});
    }
    at += codePoint.size;
    utf16Length_ += units;
  }
}

const UTF16Index::Wide* UTF16Index::lastWideAtOrBeforeByte(std::size_t byteOffset) const {
  const auto after =
      std::upper_bound(wide_.begin(), wide_.end(), byteOffset,
                       [](std::size_t offset, const Wide& wide) { return offset < wide.byteOffset; });
  return after == wide_.begin() ? nullptr : &*std::prev(after);
}

const UTF16Index::Wide* UTF16Index::lastWideAtOrBeforeUnit(std::size_t offset) const {
  const auto after =
      std::upper_bound(wide_.begin(), wide_.end(), offset,
                       [](std::size_t unit, const Wide& wide) { return unit < wide.utf16Offset; });
  return after == wide_.begin() ? nullptr : &*std::prev(after);
}

std::size_t UTF16Index::utf16Offset(std::size_t byteOffset) const {
  if (byteOffset >= text_.size()) return utf16Length_;
  const Wide* wide = lastWideAtOrBeforeByte(byteOffset);
  if (wide == nullptr) return byteOffset;
  const std::size_t wideEnd = wide->byteOffset + wide->bytes;
  if (byteOffset < wideEnd) return wide->utf16Offset;
  return wide->utf16Offset + wide->units + (byteOffset - wideEnd);
}

std::size_t UTF16Index::byteOffset(std::size_t offset) const {
  if (offset >= utf16Length_) return text_.size();
  const Wide* wide = lastWideAtOrBeforeUnit(offset);
  if (wide == nullptr) return offset;
  const std::size_t wideEnd = wide->utf16Offset + wide->units;
  if (offset < wideEnd) return wide->byteOffset;
  return wide->byteOffset + wide->bytes + (offset - wideEnd);
}

ByteRange UTF16Index::byteRange(UTF16Range range) const {
  const std::size_t begin = byteOffset(range.location);
  return {begin, byteOffset(range.end()) - begin};
}

UTF16Range UTF16Index::utf16Range(ByteRange range) const {
  const std::size_t begin = utf16Offset(range.offset);
  return {begin, utf16Offset(range.end()) - begin};
}

}  // namespace platform::unicode

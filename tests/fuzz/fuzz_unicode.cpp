// Any bytes read as UTF-8 give the same answers through every view: the UTF-16 conversion, the
// offset conversions, the index, the character boundaries, trimming and capitalisation.
#include "Platform/Core/UTF16Index.h"
#include "Platform/Core/Unicode.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace unicode = platform::unicode;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::u16string utf16 = unicode::toUTF16(text);
  const std::string sanitized = unicode::sanitizedUTF8(text);
  require(unicode::utf16Length(text) == utf16.size());
  require(unicode::toUTF8(utf16) == sanitized);
  require(unicode::toUTF16(sanitized) == utf16);

  const unicode::UTF16Index index(text);
  for (std::size_t at = 0; at <= text.size(); ++at) {
    require(index.utf16Offset(at) == unicode::utf16Offset(text, at));
  }
  for (std::size_t unit = 0; unit <= utf16.size(); ++unit) {
    require(index.byteOffset(unit) == unicode::byteOffset(text, unit));
  }

  const auto boundaries = unicode::characterBoundaries(text);
  require(boundaries.front() == 0 && boundaries.back() == text.size());
  for (std::size_t i = 1; i < boundaries.size(); ++i) {
    require(boundaries[i - 1] < boundaries[i]);
    require(index.byteOffset(index.utf16Offset(boundaries[i])) == boundaries[i]);
  }
  require(unicode::characterCount(text) + 1 == boundaries.size());

  const std::string_view trimmed = unicode::trimmingWhitespaceAndNewlines(text);
  require(trimmed.size() <= text.size());
  require(unicode::trimmingWhitespaceAndNewlines(trimmed) == trimmed);

  const std::string title = unicode::capitalized(text);
  require(unicode::isValidUTF8(title));
  require(unicode::capitalized(title) == title);
  return 0;
}

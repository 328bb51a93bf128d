#include "Platform/Core/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>

namespace platform::unicode {

// ICU's U8_NEXT consumes exactly one maximal ill-formed subsequence on error. A well-formed
// sequence is at most four bytes and a maximal ill-formed one at most three, so a four-byte window
// gives the same answer as the whole text while keeping ICU's 32-bit offsets away from long texts.
CodePoint codePointAt(std::string_view utf8, std::size_t byteOffset) {
  if (byteOffset >= utf8.size()) return {replacementCharacter, 0, false};
  if (const auto first = static_cast<unsigned char>(utf8[byteOffset]); first < 0x80) return {first, 1, true};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data() + byteOffset);
  const auto window = static_cast<std::int32_t>(std::min<std::size_t>(4, utf8.size() - byteOffset));
  std::int32_t consumed = 0;
  UChar32 c = 0;
  U8_NEXT(bytes, consumed, window, c);
  const auto size = static_cast<std::size_t>(consumed);
  if (c < 0) return {replacementCharacter, size, false};
  return {static_cast<char32_t>(c), size, true};
}

namespace {

// Reads the code point at unit `at` (< text.size()): U+FFFD for a lone surrogate.
CodePoint decodeUTF16(std::u16string_view text, std::size_t at) {
  const char16_t* units = text.data() + at;
  const auto window = static_cast<std::int32_t>(std::min<std::size_t>(2, text.size() - at));
  std::int32_t consumed = 0;
  UChar32 c = 0;
  U16_NEXT(units, consumed, window, c);
  const auto size = static_cast<std::size_t>(consumed);
  if (U_IS_SURROGATE(c)) return {replacementCharacter, size, false};
  return {static_cast<char32_t>(c), size, true};
}

void appendUTF8(std::string& out, char32_t codePoint) {
  if (codePoint > 0x10FFFF || U_IS_SURROGATE(codePoint)) codePoint = replacementCharacter;
  std::uint8_t buffer[U8_MAX_LENGTH];
  std::int32_t length = 0;
  U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(codePoint));
  out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

void appendUTF16(std::u16string& out, char32_t codePoint) {
  if (codePoint > 0xFFFF) {
    out.push_back(static_cast<char16_t>(U16_LEAD(codePoint)));
    out.push_back(static_cast<char16_t>(U16_TRAIL(codePoint)));
  } else {
    out.push_back(static_cast<char16_t>(codePoint));
  }
}

// Calls visit(byteOffset, decoded) for each code point of `utf8`, in order, until it returns false.
template <typename Visit>
void forEachCodePoint(std::string_view utf8, Visit visit) {
  for (std::size_t at = 0; at < utf8.size();) {
    const CodePoint decoded = codePointAt(utf8, at);
    if (!visit(at, decoded)) return;
    at += decoded.size;
  }
}

// Creating a character break iterator parses ICU's rules; each thread keeps one and reuses it.
icu::BreakIterator* characterBreakIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> created(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) created.reset();
    return created;
  }();
  return iterator.get();
}

// Closes a UText opened by ICU when it leaves scope.
struct UTextCloser {
  void operator()(UText* text) const { utext_close(text); }
};

// Boundaries from ICU's extended grapheme cluster rules, read straight from the UTF-8 bytes
// (UText's native indexes are byte offsets), up to the end of character `limit` at most. Without
// ICU's break data every code point counts as a character.
std::vector<std::size_t> graphemeBoundaries(std::string_view utf8, std::size_t limit = SIZE_MAX) {
  std::vector<std::size_t> boundaries{0};
  if (utf8.empty()) return boundaries;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UText, UTextCloser> text(
      utext_openUTF8(nullptr, utf8.data(), static_cast<std::int64_t>(utf8.size()), &status));
  icu::BreakIterator* iterator = characterBreakIterator();
  if (iterator != nullptr && U_SUCCESS(status)) iterator->setText(text.get(), status);
  if (iterator == nullptr || U_FAILURE(status)) {
    forEachCodePoint(utf8, [&](std::size_t at, const CodePoint& decoded) {
      boundaries.push_back(at + decoded.size);
      return boundaries.size() <= limit;
    });
    return boundaries;
  }
  iterator->first();
  while (boundaries.size() <= limit) {
    const std::int32_t next = iterator->next();
    if (next == icu::BreakIterator::DONE) break;
    boundaries.push_back(static_cast<std::size_t>(next));
  }
  return boundaries;
}

}  // namespace

std::u16string toUTF16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  forEachCodePoint(utf8, [&](std::size_t, const CodePoint& decoded) {
    appendUTF16(out, decoded.value);
    return true;
  });
  return out;
}

std::string toUTF8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t at = 0; at < utf16.size();) {
    const CodePoint decoded = decodeUTF16(utf16, at);
    appendUTF8(out, decoded.value);
    at += decoded.size;
  }
  return out;
}

std::u32string toUTF32(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  forEachCodePoint(utf8, [&](std::size_t, const CodePoint& decoded) {
    out.push_back(decoded.value);
    return true;
  });
  return out;
}

std::string toUTF8(std::u32string_view codePoints) {
  std::string out;
  out.reserve(codePoints.size());
  for (char32_t codePoint : codePoints) appendUTF8(out, codePoint);
  return out;
}

std::string toUTF8(char32_t codePoint) {
  std::string out;
  appendUTF8(out, codePoint);
  return out;
}

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed sequence of two to four bytes that starts at `at`, or 0 when
// there is none. The same rules as codePointAt, checked by hand: validation is on the hot path
// of every Markdown conversion.
std::size_t multiByteSequenceLength(const unsigned char* at, std::size_t available) {
  const unsigned char lead = at[0];
  if (lead >= 0xC2 && lead <= 0xDF) {
    return available >= 2 && isContinuation(at[1]) ? 2 : 0;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (available < 3 || !isContinuation(at[1]) || !isContinuation(at[2])) return 0;
    const bool overlong = lead == 0xE0 && at[1] < 0xA0;
    const bool surrogate = lead == 0xED && at[1] > 0x9F;
    return overlong || surrogate ? 0 : 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (available < 4 || !isContinuation(at[1]) || !isContinuation(at[2]) || !isContinuation(at[3])) return 0;
    const bool overlong = lead == 0xF0 && at[1] < 0x90;
    const bool tooLarge = lead == 0xF4 && at[1] > 0x8F;
    return overlong || tooLarge ? 0 : 4;
  }
  return 0;
}

}  // namespace

bool isValidUTF8(std::string_view bytes) {
  constexpr std::uint64_t highBits = 0x8080808080808080ULL;
  const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t remaining = bytes.size();
  while (remaining > 0) {
    // Most text is ASCII: pass over it eight bytes at a time.
    if (std::uint64_t word = 0; remaining >= sizeof word) {
      std::memcpy(&word, at, sizeof word);
      if ((word & highBits) == 0) {
        at += sizeof word;
        remaining -= sizeof word;
        continue;
      }
    }
    const std::size_t length = *at < 0x80 ? 1 : multiByteSequenceLength(at, remaining);
    if (length == 0) return false;
    at += length;
    remaining -= length;
  }
  return true;
}

std::string sanitizedUTF8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  forEachCodePoint(bytes, [&](std::size_t at, const CodePoint& decoded) {
    if (decoded.wellFormed) {
      out.append(bytes.substr(at, decoded.size));
    } else {
      appendUTF8(out, replacementCharacter);
    }
    return true;
  });
  return out;
}

std::size_t utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  forEachCodePoint(utf8, [&](std::size_t, const CodePoint& decoded) {
    units += static_cast<std::size_t>(U16_LENGTH(decoded.value));
    return true;
  });
  return units;
}

std::size_t utf16Offset(std::string_view utf8, std::size_t byteOffset) {
  std::size_t units = 0;
  forEachCodePoint(utf8, [&](std::size_t at, const CodePoint& decoded) {
    if (byteOffset < at + decoded.size) return false;
    units += static_cast<std::size_t>(U16_LENGTH(decoded.value));
    return true;
  });
  return units;
}

std::size_t byteOffset(std::string_view utf8, std::size_t offset) {
  std::size_t units = 0;
  std::size_t result = utf8.size();
  forEachCodePoint(utf8, [&](std::size_t at, const CodePoint& decoded) {
    units += static_cast<std::size_t>(U16_LENGTH(decoded.value));
    if (offset < units) {
      result = at;
      return false;
    }
    return true;
  });
  return result;
}

ByteRange byteRange(std::string_view utf8, UTF16Range range) {
  const std::size_t begin = byteOffset(utf8, range.location);
  return {begin, byteOffset(utf8, range.end()) - begin};
}

UTF16Range utf16Range(std::string_view utf8, ByteRange range) {
  const std::size_t begin = utf16Offset(utf8, range.offset);
  return {begin, utf16Offset(utf8, range.end()) - begin};
}

std::string substring(std::string_view utf8, UTF16Range range) {
  const ByteRange bytes = byteRange(utf8, range);
  return std::string(utf8.substr(bytes.offset, bytes.length));
}

std::string replacing(std::string_view utf8, UTF16Range range, std::string_view replacement) {
  const ByteRange bytes = byteRange(utf8, range);
  std::string out;
  out.reserve(utf8.size() - bytes.length + replacement.size());
  out.append(utf8.substr(0, bytes.offset));
  out.append(replacement);
  out.append(utf8.substr(bytes.end()));
  return out;
}

std::vector<std::size_t> characterBoundaries(std::string_view utf8) { return graphemeBoundaries(utf8); }

std::vector<std::string_view> characters(std::string_view utf8) {
  const std::vector<std::size_t> boundaries = graphemeBoundaries(utf8);
  std::vector<std::string_view> out;
  out.reserve(boundaries.size() - 1);
  for (std::size_t i = 1; i < boundaries.size(); ++i) {
    out.push_back(utf8.substr(boundaries[i - 1], boundaries[i] - boundaries[i - 1]));
  }
  return out;
}

std::size_t characterCount(std::string_view utf8) { return graphemeBoundaries(utf8).size() - 1; }

std::string_view prefix(std::string_view utf8, std::size_t count) {
  const std::vector<std::size_t> boundaries = graphemeBoundaries(utf8, count);
  return utf8.substr(0, boundaries.back());
}

std::string_view suffix(std::string_view utf8, std::size_t count) {
  const std::vector<std::size_t> boundaries = graphemeBoundaries(utf8);
  if (count >= boundaries.size()) return utf8;
  return utf8.substr(boundaries[boundaries.size() - 1 - count]);
}

bool isWhitespaceOrNewline(char32_t codePoint) {
  return codePoint <= 0x10FFFF && u_isUWhiteSpace(static_cast<UChar32>(codePoint));
}

bool isNewline(char32_t codePoint) {
  return (codePoint >= 0x0A && codePoint <= 0x0D) || codePoint == 0x85 || codePoint == 0x2028 ||
         codePoint == 0x2029;
}

std::string_view trimmingCharacters(std::string_view utf8, const std::function<bool(char32_t)>& inSet) {
  std::size_t begin = utf8.size();
  std::size_t end = 0;
  forEachCodePoint(utf8, [&](std::size_t at, const CodePoint& decoded) {
    if (decoded.wellFormed && inSet(decoded.value)) return true;
    begin = std::min(begin, at);
    end = at + decoded.size;
    return true;
  });
  if (begin >= end) return utf8.substr(0, 0);
  return utf8.substr(begin, end - begin);
}

std::string_view trimmingWhitespaceAndNewlines(std::string_view utf8) {
  return trimmingCharacters(utf8, isWhitespaceOrNewline);
}

std::string_view trimmingNewlines(std::string_view utf8) { return trimmingCharacters(utf8, isNewline); }

bool isAlphanumeric(char32_t codePoint) {
  if (codePoint > 0x10FFFF) return false;
  return (U_GET_GC_MASK(static_cast<UChar32>(codePoint)) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

namespace {

// Collects ICU's output into a string. ICU calls Append from its own frames, so what appending
// throws (running out of memory) is kept, the rest of the output dropped, and the exception
// rethrown once ICU has returned.
class StringSink final : public icu::ByteSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void Append(const char* bytes, std::int32_t n) override {
    if (failure_ || n <= 0) return;
    try {
      out_.append(bytes, static_cast<std::size_t>(n));
    } catch (...) {
      failure_ = std::current_exception();
    }
  }
  void rethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::string& out_;
  std::exception_ptr failure_;
};

}  // namespace

std::string capitalized(std::string_view utf8) {
  const std::string text = sanitizedUTF8(utf8);
  std::string out;
  out.reserve(text.size());
  // Each word is title-cased as a whole, from its very first character: the word boundaries are
  // white space, not ICU's word breaks, and nothing skips ahead to the first cased letter. A word
  // that ICU cannot map stays as it is.
  constexpr std::uint32_t options = U_TITLECASE_WHOLE_STRING | U_TITLECASE_NO_BREAK_ADJUSTMENT;
  std::size_t wordStart = 0;
  auto flushWord = [&](std::size_t wordEnd) {
    const std::string_view word = std::string_view(text).substr(wordStart, wordEnd - wordStart);
    if (word.empty()) return;
    std::string titled;
    StringSink sink(titled);
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8ToTitle("", options, nullptr,
                              icu::StringPiece(word.data(), static_cast<std::int32_t>(word.size())), sink,
                              nullptr, status);
    sink.rethrowFailure();
    out += U_SUCCESS(status) ? std::string_view(titled) : word;
  };
  forEachCodePoint(text, [&](std::size_t at, const CodePoint& decoded) {
    if (!isWhitespaceOrNewline(decoded.value)) return true;
    flushWord(at);
    out.append(text, at, decoded.size);
    wordStart = at + decoded.size;
    return true;
  });
  flushWord(text.size());
  return out;
}

}  // namespace platform::unicode

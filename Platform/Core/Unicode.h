#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Text helpers over ICU. Text is UTF-8 in std::string everywhere in the application; the desktop
// counts positions and lengths in UTF-16 code units. This is the one place where the two meet:
// every conversion between them goes through the functions below, never through ad-hoc code.
//
// Ill-formed input never fails and never crashes. In UTF-8, each maximal ill-formed subsequence
// (a lone continuation byte, a truncated sequence, an overlong form, an encoded surrogate, a
// byte above F4) reads as one U+FFFD; in UTF-16, each lone surrogate reads as one U+FFFD. All
// counts, offsets and conversions below agree with that reading.
//
// All functions are pure and safe to call from any thread.
namespace platform::unicode {

inline constexpr char32_t replacementCharacter = U'\uFFFD';

// A range in UTF-16 code units, as the desktop reports selections and carets.
struct UTF16Range {
  std::size_t location = 0;
  std::size_t length = 0;
  // Saturates instead of wrapping, so a range "to the end" may have any large length.
  std::size_t end() const { return length > SIZE_MAX - location ? SIZE_MAX : location + length; }
  friend bool operator==(const UTF16Range&, const UTF16Range&) = default;
};

// A range in bytes of a UTF-8 text.
struct ByteRange {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::size_t end() const { return length > SIZE_MAX - offset ? SIZE_MAX : offset + length; }
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// One code point read from UTF-8.
struct CodePoint {
  char32_t value = 0;    // U+FFFD for an ill-formed subsequence
  std::size_t size = 0;  // bytes read: 1 to 4, or 0 past the end
  bool wellFormed = true;
};

// The code point that starts at `byteOffset`. An offset inside a sequence reads the continuation
// byte there as ill-formed; one at or past the end gives U+FFFD of size 0.
CodePoint codePointAt(std::string_view utf8, std::size_t byteOffset);

// --- Encodings ---------------------------------------------------------------------------------

std::u16string toUTF16(std::string_view utf8);
std::string toUTF8(std::u16string_view utf16);
std::u32string toUTF32(std::string_view utf8);
std::string toUTF8(std::u32string_view codePoints);
// One code point as UTF-8; a surrogate or a value above U+10FFFF gives U+FFFD.
std::string toUTF8(char32_t codePoint);

// True when `bytes` are well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view bytes);
// `bytes` with every ill-formed subsequence replaced by U+FFFD; valid text comes back unchanged.
std::string sanitizedUTF8(std::string_view bytes);

// --- UTF-16 positions in UTF-8 text ------------------------------------------------------------

// The number of UTF-16 code units of `utf8` (what the desktop calls its length).
std::size_t utf16Length(std::string_view utf8);

// The UTF-16 offset of the character that starts at or contains `byteOffset`. A byte offset inside
// a character counts as that character's start; one at or past the end gives utf16Length(utf8).
std::size_t utf16Offset(std::string_view utf8, std::size_t byteOffset);

// The byte offset of UTF-16 offset `offset`. An offset between the two halves of a surrogate pair
// counts as the start of that character; one at or past the end gives utf8.size().
std::size_t byteOffset(std::string_view utf8, std::size_t offset);

// Both ends converted as above, so the result never splits a character and stays inside the text.
ByteRange byteRange(std::string_view utf8, UTF16Range range);
UTF16Range utf16Range(std::string_view utf8, ByteRange range);

// The part of `utf8` covered by `range` (converted as byteRange does).
std::string substring(std::string_view utf8, UTF16Range range);

// `utf8` with the part covered by `range` replaced by `replacement`, as the desktop edits a text
// through a selection. An empty range inserts; a range past the end appends.
std::string replacing(std::string_view utf8, UTF16Range range, std::string_view replacement);

// --- User-perceived characters (extended grapheme clusters) ------------------------------------

// Byte offsets of the character boundaries of `utf8`, from 0 to utf8.size() inclusive; an empty
// text gives {0}. An ill-formed subsequence reads as U+FFFD, which starts a character.
std::vector<std::size_t> characterBoundaries(std::string_view utf8);

// The text split into its characters, each a view into `utf8`.
std::vector<std::string_view> characters(std::string_view utf8);

std::size_t characterCount(std::string_view utf8);

// The first / last `count` characters (the whole text when it has fewer). Views into `utf8`.
std::string_view prefix(std::string_view utf8, std::size_t count);
std::string_view suffix(std::string_view utf8, std::size_t count);

// --- White space and new lines ----------------------------------------------------------------

// The Unicode White_Space property: space, tab, the line and paragraph breaks U+000A-U+000D,
// U+0085, U+2028, U+2029, no-break space U+00A0, U+1680, U+2000-U+200A, U+202F, U+205F, U+3000.
bool isWhitespaceOrNewline(char32_t codePoint);

// Line-break characters: U+000A-U+000D, U+0085, U+2028 and U+2029.
bool isNewline(char32_t codePoint);

// `utf8` without the white space and new lines at both ends (a view into `utf8`). Inner white
// space stays. Ill-formed subsequences are not white space.
std::string_view trimmingWhitespaceAndNewlines(std::string_view utf8);

// `utf8` without the new lines at both ends.
std::string_view trimmingNewlines(std::string_view utf8);

// `utf8` without the code points for which `inSet` holds at both ends (a view into `utf8`).
// Ill-formed subsequences are never in the set.
std::string_view trimmingCharacters(std::string_view utf8, const std::function<bool(char32_t)>& inSet);

// --- Character classes and case ---------------------------------------------------------------

// Letters, marks and numbers (general categories L*, M* and N*), in any script.
bool isAlphanumeric(char32_t codePoint);

// Each word with its first character in title case and the rest in lower case, a word being a run
// of characters between white space and new lines ("general" -> "General", "GENERAL" ->
// "General", "applicationInfo" -> "Applicationinfo"). Ill-formed bytes become U+FFFD.
std::string capitalized(std::string_view utf8);

}  // namespace platform::unicode

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unicode/utf16.h>
#include <vector>

#include "Platform/Core/UTF16Index.h"
#include "Platform/Core/Unicode.h"

namespace {

// Random bytes, biased towards the lead and continuation bytes, combining marks, joiners and
// regional indicators that make UTF-8 decoding and character breaking interesting.
std::string randomText(std::mt19937& random, std::size_t size) {
  static const std::vector<unsigned char> alphabet = {
      'a',  ' ',  '\n', '\r', 0x80, 0xBF, 0xC0, 0xC3, 0xA9, 0xCC, 0x81, 0xE0, 0xE2, 0x82, 0xAC,
      0xED, 0xA0, 0xF0, 0x9F, 0x98, 0xF4, 0x90, 0xF5, 0xFF, 0xE2, 0x80, 0x8D, 0x87, 0xA6};
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(alphabet[pick(random)]));
  return bytes;
}

namespace unicode = platform::unicode;
using unicode::ByteRange;
using unicode::UTF16Index;
using unicode::UTF16Range;

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

std::string replacements(std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += kReplacement;
  return out;
}

// --- Encodings ---------------------------------------------------------------------------------

TEST(UnicodeEncoding, WellFormedTextRoundTripsThroughUTF16AndUTF32) {
  const std::string text = "Grüße, 你好, 😀 and \U0001F1EB\U0001F1F7";
  const std::u16string utf16 = unicode::toUTF16(text);
  EXPECT_EQ(utf16, u"Grüße, 你好, 😀 and \U0001F1EB\U0001F1F7");
  EXPECT_EQ(unicode::toUTF8(utf16), text);
  EXPECT_EQ(unicode::toUTF32(text), U"Grüße, 你好, 😀 and \U0001F1EB\U0001F1F7");
  EXPECT_EQ(unicode::toUTF8(unicode::toUTF32(text)), text);
  EXPECT_TRUE(unicode::isValidUTF8(text));
}

struct IllFormedUTF8 {
  const char* what;
  std::string bytes;
  std::string expected;  // after replacing each maximal ill-formed subsequence by U+FFFD
};

TEST(UnicodeEncoding, EachMaximalIllFormedSubsequenceOfUTF8BecomesOneReplacementCharacter) {
  const std::vector<IllFormedUTF8> cases = {
      {"lone continuation byte", "a\x80z", "a" + kReplacement + "z"},
      {"run of continuation bytes", "\x80\xBF", replacements(2)},
      {"truncated three-byte sequence", "a\xE2\x82z", "a" + kReplacement + "z"},
      {"truncated four-byte sequence at the end", "a\xF0\x9F\x98", "a" + kReplacement},
      {"lead byte followed by a lead byte", "\xC3\xC3\xA9", kReplacement + "é"},
      {"two-byte overlong", "\xC0\xAF", replacements(2)},
      {"three-byte overlong", "\xE0\x80\xAF", replacements(3)},
      {"four-byte overlong", "\xF0\x80\x80\xAF", replacements(4)},
      {"encoded high surrogate", "\xED\xA0\x80", replacements(3)},
      {"encoded surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", replacements(6)},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", replacements(4)},
      {"bytes never used", "\xFE\xFF", replacements(2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(unicode::isValidUTF8(c.bytes));
    EXPECT_EQ(unicode::sanitizedUTF8(c.bytes), c.expected);
    EXPECT_EQ(unicode::toUTF16(c.bytes), unicode::toUTF16(c.expected));
    EXPECT_EQ(unicode::utf16Length(c.bytes), unicode::toUTF16(c.expected).size());
  }
}

TEST(UnicodeEncoding, ValidationAcceptsTheEdgesOfTheCodeSpaceAndFindsABadByteAfterLongASCIIRuns) {
  EXPECT_TRUE(unicode::isValidUTF8(""));
  EXPECT_TRUE(unicode::isValidUTF8("plain ASCII text that is longer than one word"));
  EXPECT_TRUE(unicode::isValidUTF8("\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80"));
  EXPECT_TRUE(unicode::isValidUTF8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
  EXPECT_TRUE(unicode::isValidUTF8("\xED\x9F\xBF"));      // U+D7FF, just below the surrogates
  EXPECT_FALSE(unicode::isValidUTF8("\xE4\xB8"));         // cut short
  EXPECT_FALSE(unicode::isValidUTF8("\xFF"));
  const std::string ascii(1000, 'a');
  EXPECT_TRUE(unicode::isValidUTF8(ascii));
  for (std::size_t position : {0UL, 7UL, 8UL, 9UL, 517UL, 999UL}) {
    std::string text = ascii;
    text[position] = '\x80';
    EXPECT_FALSE(unicode::isValidUTF8(text)) << "bad byte at " << position;
  }
  // A sequence cut by the end of an eight-byte stretch is still read whole.
  EXPECT_TRUE(unicode::isValidUTF8("abcdefg\xE4\xB8\xADxyz"));
  EXPECT_FALSE(unicode::isValidUTF8("abcdefg\xE4\xB8"));
}

// Validation has a fast path of its own; it must agree with the decoder that sanitising uses.
TEST(UnicodeEncoding, ValidationAgreesWithTheDecoderOnEverySequenceShape) {
  const auto agree = [](const std::string& bytes) {
    return unicode::isValidUTF8(bytes) == (unicode::sanitizedUTF8(bytes) == bytes);
  };
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const std::string pair{static_cast<char>(first), static_cast<char>(second)};
      ASSERT_TRUE(agree(pair)) << std::hex << first << " " << second;
      // Lead bytes of three and four: every second byte, then well-formed continuation bytes.
      ASSERT_TRUE(agree(pair + "\x80")) << std::hex << first << " " << second;
      ASSERT_TRUE(agree(pair + "\xBF\x80")) << std::hex << first << " " << second;
    }
  }
}

TEST(UnicodeEncoding, ARealReplacementCharacterAndAnEmbeddedNulAreValid) {
  const std::string text = std::string("a\0b", 3) + kReplacement;
  EXPECT_TRUE(unicode::isValidUTF8(text));
  EXPECT_EQ(unicode::sanitizedUTF8(text), text);
  EXPECT_EQ(unicode::toUTF16(text), std::u16string(u"a\0b\uFFFD", 4));
}

TEST(UnicodeEncoding, LoneSurrogatesAndCodePointsOutsideUnicodeBecomeReplacementCharacters) {
  const std::u16string loneHigh = {u'a', 0xD83D, u'b'};
  const std::u16string loneLow = {u'a', 0xDE00, u'b'};
  const std::u16string highAtEnd = {u'a', 0xD83D};
  const std::u16string reversedPair = {0xDE00, 0xD83D};
  const std::u16string pair = {0xD83D, 0xDE00};
  EXPECT_EQ(unicode::toUTF8(loneHigh), "a" + kReplacement + "b");
  EXPECT_EQ(unicode::toUTF8(loneLow), "a" + kReplacement + "b");
  EXPECT_EQ(unicode::toUTF8(highAtEnd), "a" + kReplacement);
  EXPECT_EQ(unicode::toUTF8(reversedPair), replacements(2));
  EXPECT_EQ(unicode::toUTF8(pair), "😀");
  EXPECT_EQ(unicode::toUTF8(U'é'), "é");
  EXPECT_EQ(unicode::toUTF8(char32_t{0xD800}), kReplacement);
  EXPECT_EQ(unicode::toUTF8(char32_t{0x110000}), kReplacement);
  EXPECT_EQ(unicode::toUTF8(std::u32string{U'x', 0xDFFF, 0x7FFFFFFF}), "x" + replacements(2));
}

// --- UTF-16 positions --------------------------------------------------------------------------

// "a😀b": bytes a=0, 😀=1..4, b=5; UTF-16 units a=0, 😀=1..2, b=3.
const std::string kMixed = "a😀b";

TEST(UnicodeOffsets, LengthAndByteOffsetsCountUTF16UnitsAcrossNonBMPCharacters) {
  EXPECT_EQ(unicode::utf16Length(""), 0u);
  EXPECT_EQ(unicode::utf16Length(kMixed), 4u);
  EXPECT_EQ(unicode::utf16Length("👨‍👩‍👧‍👦"), 11u);
  EXPECT_EQ(unicode::utf16Offset(kMixed, 0), 0u);
  EXPECT_EQ(unicode::utf16Offset(kMixed, 1), 1u);
  EXPECT_EQ(unicode::utf16Offset(kMixed, 3), 1u) << "inside the emoji counts as its start";
  EXPECT_EQ(unicode::utf16Offset(kMixed, 5), 3u);
  EXPECT_EQ(unicode::utf16Offset(kMixed, 6), 4u);
  EXPECT_EQ(unicode::utf16Offset(kMixed, 600), 4u);
}

TEST(UnicodeOffsets, UTF16OffsetsRangesSubstringsAndReplacementsNeverSplitCharacters) {
  EXPECT_EQ(unicode::byteOffset(kMixed, 0), 0u);
  EXPECT_EQ(unicode::byteOffset(kMixed, 1), 1u);
  EXPECT_EQ(unicode::byteOffset(kMixed, 2), 1u) << "between the halves of a pair";
  EXPECT_EQ(unicode::byteOffset(kMixed, 3), 5u);
  EXPECT_EQ(unicode::byteOffset(kMixed, 4), 6u);
  EXPECT_EQ(unicode::byteOffset(kMixed, 40), 6u);
  EXPECT_EQ(unicode::byteOffset("你好x", 2), 6u);
  EXPECT_EQ(unicode::byteRange(kMixed, {1, 2}), (ByteRange{1, 4}));
  EXPECT_EQ(unicode::utf16Range(kMixed, {1, 4}), (UTF16Range{1, 2}));
  EXPECT_EQ(unicode::byteRange(kMixed, {2, 2}), (ByteRange{1, 5})) << "start rounds down";
  EXPECT_EQ(unicode::byteRange(kMixed, {3, 50}), (ByteRange{5, 1})) << "end clamps to the text";
  EXPECT_EQ(unicode::byteRange(kMixed, {1, SIZE_MAX}), (ByteRange{1, 5}));
  EXPECT_EQ(unicode::byteRange(kMixed, {9, 1}), (ByteRange{6, 0}));
  EXPECT_EQ(unicode::utf16Range(kMixed, {0, SIZE_MAX}), (UTF16Range{0, 4}));
  EXPECT_EQ(unicode::substring(kMixed, {1, 2}), "😀");
  EXPECT_EQ(unicode::substring(kMixed, {3, 1}), "b");
  EXPECT_EQ(unicode::substring("你好世界", {1, 2}), "好世");
  EXPECT_EQ(unicode::replacing(kMixed, {1, 2}, "é"), "aéb");
  EXPECT_EQ(unicode::replacing(kMixed, {4, 0}, "!"), "a😀b!");
  EXPECT_EQ(unicode::replacing(kMixed, {0, 0}, "¡"), "¡a😀b");
  EXPECT_EQ(unicode::replacing(kMixed, {99, 5}, "?"), "a😀b?");
  EXPECT_EQ(unicode::replacing("line one\nline two", {9, 8}, "二"), "line one\n二");
}

TEST(UnicodeOffsets, IllFormedBytesCountAsOneReplacementCharacterEach) {
  const std::string text = "a\xE2\x82z\xF0\x9F\x98\x80";  // a, truncated sequence, z, 😀
  EXPECT_EQ(unicode::utf16Length(text), 5u);
  EXPECT_EQ(unicode::utf16Offset(text, 2), 1u);
  EXPECT_EQ(unicode::utf16Offset(text, 3), 2u);
  EXPECT_EQ(unicode::byteOffset(text, 2), 3u);
  EXPECT_EQ(unicode::byteOffset(text, 3), 4u);
}

TEST(UnicodeOffsets, EveryViewOfArbitraryBytesAgreesWithTheUTF16Conversion) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 2000; ++round) {
    const std::string bytes = randomText(random, round % 24);
    SCOPED_TRACE(::testing::PrintToString(bytes));
    const std::u16string utf16 = unicode::toUTF16(bytes);
    ASSERT_EQ(unicode::utf16Length(bytes), utf16.size());
    ASSERT_EQ(unicode::toUTF8(utf16), unicode::sanitizedUTF8(bytes));
    ASSERT_TRUE(unicode::isValidUTF8(unicode::sanitizedUTF8(bytes)));
    for (std::size_t unit = 0; unit <= utf16.size(); ++unit) {
      const std::size_t at = unicode::byteOffset(bytes, unit);
      const std::size_t back = unicode::utf16Offset(bytes, at);
      ASSERT_TRUE(back == unit || (back + 1 == unit && U16_IS_TRAIL(utf16[unit])));
    }
    const std::vector<std::size_t> boundaries = unicode::characterBoundaries(bytes);
    ASSERT_EQ(boundaries.front(), 0u);
    ASSERT_EQ(boundaries.back(), bytes.size());
    for (std::size_t i = 1; i < boundaries.size(); ++i) {
      ASSERT_LT(boundaries[i - 1], boundaries[i]);
      const std::size_t unit = unicode::utf16Offset(bytes, boundaries[i]);
      ASSERT_EQ(unicode::byteOffset(bytes, unit), boundaries[i]) << "boundary inside a code point";
    }
  }
}

// --- Characters --------------------------------------------------------------------------------

struct Cluster {
  const char* what;
  std::string text;
};

TEST(UnicodeCharacters, ClustersOfSeveralCodePointsCountAsOneCharacter) {
  const std::vector<Cluster> clusters = {
      {"flag", "\U0001F1EB\U0001F1F7"}, {"family joined by ZWJ", "👨‍👩‍👧‍👦"},
      {"combining accent", "e\u0301"},  {"CRLF", "\r\n"},
      {"keycap", "1\uFE0F\u20E3"},
  };
  for (const auto& c : clusters) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(unicode::characterCount(c.text), 1u);
    EXPECT_EQ(unicode::characterCount("x" + c.text + "y"), 3u);
    EXPECT_EQ(unicode::prefix(c.text + c.text, 1), c.text);
    EXPECT_EQ(unicode::suffix("ab" + c.text, 1), c.text);
  }
}

TEST(UnicodeCharacters, NeighbouringClustersStaySeparate) {
  EXPECT_EQ(unicode::characterCount("\U0001F1EB\U0001F1F7\U0001F1EF\U0001F1F5"), 2u);
  EXPECT_EQ(unicode::characterCount("\n\r"), 2u) << "LF CR is two characters, CR LF one";
  EXPECT_EQ(unicode::characterCount("\U0001F1EB\U0001F1F7\U0001F1EF"), 2u) << "odd indicator alone";
  const std::vector<std::string_view> expected = {"e\u0301", "👨‍👩‍👧‍👦", "\r\n", "你"};
  EXPECT_EQ(unicode::characters("e\u0301👨‍👩‍👧‍👦\r\n你"), expected);
}

TEST(UnicodeCharacters, PrefixAndSuffixCutAtCharacterBoundariesCountingIllFormedBytes) {
  const std::string text = "Smooth wording";
  EXPECT_EQ(unicode::prefix(text, 10), "Smooth wor");
  EXPECT_EQ(unicode::prefix(text, 0), "");
  EXPECT_EQ(unicode::prefix(text, 99), text);
  EXPECT_EQ(unicode::suffix(text, 4), "ding");
  EXPECT_EQ(unicode::suffix(text, 99), text);
  EXPECT_EQ(unicode::prefix("👍🏽👍🏽👍🏽", 2), "👍🏽👍🏽");
  EXPECT_EQ(unicode::suffix("ae\u0301", 1), "e\u0301");
  EXPECT_EQ(unicode::characterCount(""), 0u);
  EXPECT_EQ(unicode::prefix("", 3), "");
  EXPECT_EQ(unicode::characterBoundaries(""), std::vector<std::size_t>{0});
  EXPECT_EQ(unicode::characterCount("a\x80\x80z"), 4u);
  EXPECT_EQ(unicode::characterCount("\xE2\x82"), 1u);
  EXPECT_EQ(unicode::prefix("\xC0\xAFz", 2), "\xC0\xAF");
  EXPECT_EQ(unicode::suffix("z\xF0\x9F\x98", 1), "\xF0\x9F\x98");
}

// --- White space -------------------------------------------------------------------------------

TEST(UnicodeWhitespace, TrimmingRemovesUnicodeWhitespaceAndNewlinesAtBothEndsOnly) {
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines(" \t\r\n hello  world \n"), "hello  world");
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines("\u2028\u00A0text\u2029"), "text");
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines(" \u2028 \u00A0 "), "");
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines(""), "");
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines("\u200Bx\u200B"), "\u200Bx\u200B")
      << "zero-width space is not White_Space";
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines(" \x80 "), "\x80");
  EXPECT_EQ(unicode::trimmingWhitespaceAndNewlines("a\u00A0b"), "a\u00A0b");
}

TEST(UnicodeWhitespace, TrimmingNewlinesOrAnyCharacterSetLeavesTheRest) {
  EXPECT_EQ(unicode::trimmingNewlines("\r\n\u2029 code \u2028\u0085\n"), " code ");
  EXPECT_EQ(unicode::trimmingNewlines("\u00A0\nx"), "\u00A0\nx");
  EXPECT_TRUE(unicode::isNewline(U'\u2028'));
  EXPECT_FALSE(unicode::isNewline(U'\u00A0'));
  EXPECT_TRUE(unicode::isWhitespaceOrNewline(U'\u00A0'));
  EXPECT_FALSE(unicode::isWhitespaceOrNewline(char32_t{0x110000}));
  const auto notAlphanumeric = [](char32_t c) { return !unicode::isAlphanumeric(c); };
  EXPECT_EQ(unicode::trimmingCharacters("  #6B39F4;  ", notAlphanumeric), "6B39F4");
  EXPECT_EQ(unicode::trimmingCharacters("«été»", notAlphanumeric), "été");
  EXPECT_EQ(unicode::trimmingCharacters("--", notAlphanumeric), "");
}

// --- Character classes and case ----------------------------------------------------------------

TEST(UnicodeCase, AlphanumericsAreLettersMarksAndNumbersOfAnyScript) {
  for (char32_t c : {U'a', U'Z', U'5', U'é', U'中', U'٣', U'́', U'ß'}) {
    EXPECT_TRUE(unicode::isAlphanumeric(c)) << static_cast<std::uint32_t>(c);
  }
  for (char32_t c : {U'#', U' ', U'-', U'_', U'😀', U' ', char32_t{0x110000}}) {
    EXPECT_FALSE(unicode::isAlphanumeric(c)) << static_cast<std::uint32_t>(c);
  }
}

TEST(UnicodeCase, CapitalizedTitleCasesTheFirstCharacterOfEachWhiteSpaceSeparatedWord) {
  EXPECT_EQ(unicode::capitalized("general"), "General");
  EXPECT_EQ(unicode::capitalized("applicationInfo"), "Applicationinfo");
  EXPECT_EQ(unicode::capitalized("hello wORLD\tfoo\nbar  baz"), "Hello World\tFoo\nBar  Baz");
  EXPECT_EQ(unicode::capitalized("well-known 'quoted'"), "Well-known 'quoted'");
  EXPECT_EQ(unicode::capitalized("élan\u00A0vital"), "Élan\u00A0Vital") << "NBSP separates words";
  EXPECT_EQ(unicode::capitalized("\u01C6emal"), "\u01C5emal") << "title case, not upper case";
  EXPECT_EQ(unicode::capitalized("你好 world"), "你好 World");
  EXPECT_EQ(unicode::capitalized(""), "");
  EXPECT_EQ(unicode::capitalized("\x80"
                                 "ABC"),
            kReplacement + "abc");
}

TEST(UTF16Index, ConvertsAcrossASCIIWideAndNonBMPCharactersAndEmptyText) {
  const std::string text = "ab你😀c\xE2\x82z";  // a b 你(3 bytes) 😀(4 bytes, 2 units) c, ill-formed, z
  const UTF16Index index(text);
  EXPECT_EQ(index.utf16Length(), 8u);
  EXPECT_EQ(index.utf16Offset(2), 2u);
  EXPECT_EQ(index.utf16Offset(4), 2u) << "inside 你";
  EXPECT_EQ(index.utf16Offset(5), 3u);
  EXPECT_EQ(index.utf16Offset(9), 5u);
  EXPECT_EQ(index.utf16Offset(10), 6u);
  EXPECT_EQ(index.utf16Offset(12), 7u);
  EXPECT_EQ(index.utf16Offset(99), 8u);
  EXPECT_EQ(index.byteOffset(4), 5u) << "between the halves of 😀";
  EXPECT_EQ(index.byteOffset(6), 10u);
  EXPECT_EQ(index.byteOffset(7), 12u);
  EXPECT_EQ(index.byteOffset(8), 13u);
  EXPECT_EQ(index.byteRange({3, 2}), (ByteRange{5, 4}));
  EXPECT_EQ(index.utf16Range({5, 4}), (UTF16Range{3, 2}));
  EXPECT_EQ(index.byteRange({5, SIZE_MAX}), (ByteRange{9, 4}));

  const UTF16Index ascii("hello");
  EXPECT_EQ(ascii.utf16Offset(3), 3u);
  EXPECT_EQ(ascii.byteOffset(3), 3u);
  const UTF16Index empty("");
  EXPECT_EQ(empty.utf16Length(), 0u);
  EXPECT_EQ(empty.byteOffset(1), 0u);
  EXPECT_EQ(empty.utf16Offset(1), 0u);
}

TEST(UTF16Index, AgreesWithTheFreeFunctionsOnArbitraryBytes) {
  std::mt19937 random(99);
  for (int round = 0; round < 1000; ++round) {
    const std::string text = randomText(random, round % 32);
    SCOPED_TRACE(::testing::PrintToString(text));
    const UTF16Index index(text);
    ASSERT_EQ(index.utf16Length(), unicode::utf16Length(text));
    for (std::size_t at = 0; at <= text.size() + 1; ++at) {
      ASSERT_EQ(index.utf16Offset(at), unicode::utf16Offset(text, at)) << "byte " << at;
    }
    for (std::size_t unit = 0; unit <= index.utf16Length() + 1; ++unit) {
      ASSERT_EQ(index.byteOffset(unit), unicode::byteOffset(text, unit)) << "unit " << unit;
    }
  }
}

}  // namespace

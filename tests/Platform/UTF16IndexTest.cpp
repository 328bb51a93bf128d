#include "Platform/Core/UTF16Index.h"
#include "tests/Platform/RandomText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using platform::unicode::ByteRange;
using platform::unicode::UTF16Index;
using platform::unicode::UTF16Range;
namespace unicode = platform::unicode;

TEST(UTF16Index, ConvertsAcrossASCIIWideAndNonBMPCharacters) {
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
}

TEST(UTF16Index, PlainASCIIAndEmptyTextsMapOneToOne) {
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
    const std::string text = platform::testing::randomText(random, round % 32);
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

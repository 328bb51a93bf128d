#include "Markdown/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace markdown {
namespace {

TEST(Utf8Test, AcceptsWellFormedText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ASCII text that is longer than one word"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80"));
    EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    EXPECT_TRUE(isValidUtf8("\xED\x9F\xBF"));      // U+D7FF, just below the surrogates
}

TEST(Utf8Test, RejectsMalformedSequences) {
    EXPECT_FALSE(isValidUtf8("\x80"));              // stray continuation byte
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong two-byte form
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong three-byte form
    EXPECT_FALSE(isValidUtf8("\xF0\x80\x80\xAF"));  // overlong four-byte form
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate U+D800
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE4\xB8"));          // cut short
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

TEST(Utf8Test, FindsABadByteAfterLongASCIIRuns) {
    const std::string ascii(1000, 'a');
    EXPECT_TRUE(isValidUtf8(ascii));
    for (std::size_t position : {0UL, 7UL, 8UL, 9UL, 517UL, 999UL}) {
        std::string text = ascii;
        text[position] = '\x80';
        EXPECT_FALSE(isValidUtf8(text)) << "bad byte at " << position;
    }
}

}  // namespace
}  // namespace markdown

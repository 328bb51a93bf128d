#include "Platform/Text/Font.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(FontTest, MonospaceFollowsTheFamily) {
  EXPECT_TRUE(Font::monospaced(12).hasTrait(fontTraitMonospace));
  EXPECT_FALSE(Font::system(12).hasTrait(fontTraitMonospace));
  // Asking a proportional font for monospace moves it to the monospaced family.
  Font moved = Font::system(12).withSymbolicTraits(fontTraitMonospace | fontTraitBold);
  EXPECT_EQ(moved.family(), Font::defaultMonospaceFamily);
  EXPECT_TRUE(moved.hasTrait(fontTraitBold));
  EXPECT_EQ(moved.pointSize(), 12);
}

TEST(FontTest, TraitsAreReplacedNotMerged) {
  Font bold = Font::system(10).withSymbolicTraits(fontTraitBold);
  Font italic = bold.withSymbolicTraits(fontTraitItalic);
  EXPECT_TRUE(italic.hasTrait(fontTraitItalic));
  EXPECT_FALSE(italic.hasTrait(fontTraitBold));
}

TEST(FontTest, MetricsScaleWithSize) {
  Font small = Font::system(10);
  Font large = Font::system(20);
  EXPECT_GT(small.ascender(), 5);
  EXPECT_GT(small.descender(), 0);
  EXPECT_NEAR(large.lineHeight(), 2 * small.lineHeight(), 0.5);
}

}  // namespace
}  // namespace platform

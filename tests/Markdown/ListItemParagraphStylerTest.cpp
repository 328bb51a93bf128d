#include "Markdown/ListItemParagraphStyler.h"

#include <gtest/gtest.h>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/TextMeasurement.h"

namespace markdown {
namespace {

double widthOf(const std::u16string& text, const platform::Font& font) {
  return platform::measuredSize(platform::AttributedString(text, {{platform::AttributeName::font, font}}))
      .width;
}

TEST(ListItemParagraphStylerTest, TheColumnHoldsTheWidestDigitsAndAFullStop) {
  platform::Font font = platform::Font::system(13);
  ListItemOptions options{3, 6, 2, 5, platform::TextAlignment::right};
  ListItemParagraphStyler styler(options, font);
  double widest = 0;
  for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
    widest = std::max(widest, widthOf(std::u16string(1, digit), font));
  }
  EXPECT_NEAR(styler.largestPrefixWidth(), 3 * widest + widthOf(u".", font), 1e-9);
  EXPECT_NEAR(styler.contentIndent(), styler.largestPrefixWidth() + 6, 1e-9);

  auto following = styler.followingParagraphStyle();
  EXPECT_EQ(following->firstLineHeadIndent, styler.contentIndent());
  EXPECT_EQ(following->headIndent, styler.contentIndent());
  EXPECT_EQ(following->paragraphSpacingBefore, 2);
  EXPECT_EQ(following->paragraphSpacing, 5);
  EXPECT_EQ(following->alignment, platform::TextAlignment::right);
  EXPECT_TRUE(following->tabStops.empty());
  EXPECT_NE(styler.followingParagraphStyle(), following) << "each call makes a new style";
}

TEST(ListItemParagraphStylerTest, FirstParagraphsHangTheirMarkerInTheColumn) {
  ListItemParagraphStyler styler({1, 8, 0, 0, platform::TextAlignment::natural}, platform::Font::system(12));
  double column = styler.largestPrefixWidth();
  auto narrow = styler.firstParagraphStyle(column - 3);
  EXPECT_NEAR(narrow->firstLineHeadIndent, 3, 1e-9);
  EXPECT_NEAR(narrow->tabStops.at(0).location, styler.contentIndent(), 1e-9);
  auto wide = styler.firstParagraphStyle(column + 5);
  EXPECT_NEAR(wide->firstLineHeadIndent, -5, 1e-9);
  EXPECT_NEAR(wide->tabStops.at(0).location, styler.contentIndent() + 5, 1e-9);
  EXPECT_EQ(wide->headIndent, styler.contentIndent());
}

}  // namespace
}  // namespace markdown

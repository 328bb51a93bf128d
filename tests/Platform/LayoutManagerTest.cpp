#include "Platform/Text/LayoutManager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/RecordingGraphicsContext.h"
#include "Platform/Text/TextMeasurement.h"
#include "Platform/Text/TextStorage.h"

namespace platform {
namespace {

// A storage laid out into one container of the given width.
struct Laid {
  explicit Laid(AttributedString text, double width = 300)
      : storage(std::move(text)),
        layout(std::make_shared<LayoutManager>()),
        container(std::make_shared<TextContainer>(Size{width, 0})) {
    layout->addTextContainer(container);
    storage.addLayoutManager(layout);
  }
  TextStorage storage;
  std::shared_ptr<LayoutManager> layout;
  std::shared_ptr<TextContainer> container;
};

Attributes withStyle(const ParagraphStyle& style, Font font = Font::system(12)) {
  return {{AttributeName::font, font}, {AttributeName::paragraphStyle, ParagraphStyleRef(style.copy())}};
}

TEST(LayoutManagerTest, ParagraphsStackAndCoverEveryGlyph) {
  Laid laid(AttributedString(u"first\u2029second\nthird"));
  const auto& fragments = laid.layout->lineFragments();
  ASSERT_EQ(fragments.size(), 3U);
  EXPECT_EQ(fragments[0].glyphRange, (TextRange{0, 6}));
  EXPECT_EQ(fragments[1].glyphRange, (TextRange{6, 7}));
  EXPECT_EQ(fragments[2].glyphRange, (TextRange{13, 5}));
  for (std::size_t index = 1; index < fragments.size(); ++index) {
    EXPECT_DOUBLE_EQ(fragments[index].rect.minY(), fragments[index - 1].rect.maxY());
    EXPECT_GT(fragments[index].rect.height, 10);
  }
  EXPECT_EQ(fragments[0].rect.width, 300);
}

TEST(LayoutManagerTest, LineSeparatorBreaksTheLineInsideTheParagraph) {
  ParagraphStyle style;
  style.paragraphSpacing = 10;
  Laid laid(AttributedString(u"one\u2028two", withStyle(style)));
  const auto& fragments = laid.layout->lineFragments();
  ASSERT_EQ(fragments.size(), 2U);
  EXPECT_EQ(fragments[0].glyphRange, (TextRange{0, 4}));
  EXPECT_EQ(fragments[1].glyphRange, (TextRange{4, 3}));
  // The spacing after the paragraph goes to its last line only.
  EXPECT_DOUBLE_EQ(fragments[0].rect.maxY(), fragments[0].usedRect.maxY());
  EXPECT_DOUBLE_EQ(fragments[1].rect.maxY(), fragments[1].usedRect.maxY() + 10);
}

TEST(LayoutManagerTest, SpacingBeforeSitsAboveTheUsedRect) {
  ParagraphStyle style;
  style.paragraphSpacingBefore = 7;
  Laid laid(AttributedString(u"a", withStyle(style)));
  const auto& fragment = laid.layout->lineFragments().at(0);
  EXPECT_DOUBLE_EQ(fragment.usedRect.minY() - fragment.rect.minY(), 7);
}

TEST(LayoutManagerTest, NarrowContainersWrapAndIndentsShiftTheUsedRect) {
  ParagraphStyle style;
  style.firstLineHeadIndent = 4;
  style.headIndent = 20;
  Laid laid(AttributedString(u"many words that cannot fit on a single narrow line of text", withStyle(style)),
            120);
  const auto& fragments = laid.layout->lineFragments();
  ASSERT_GT(fragments.size(), 2U);
  EXPECT_NEAR(fragments[0].usedRect.minX(), 4, 0.01);
  EXPECT_NEAR(fragments[1].usedRect.minX(), 20, 0.01);
  for (const auto& fragment : fragments) {
    EXPECT_LE(fragment.usedRect.maxX(), 120 + 0.01);
  }
  EXPECT_EQ(fragments.back().glyphRange.end(), laid.storage.length());
}

TEST(LayoutManagerTest, TabsReachTheirStopFromTheTextAreaEdge) {
  ParagraphStyle style;
  style.firstLineHeadIndent = 3;
  style.headIndent = 30;
  style.tabStops = {{TextAlignment::natural, 30}};
  Laid laid(AttributedString(u"1.\tItem", withStyle(style)));
  double padding = laid.container->lineFragmentPadding();
  EXPECT_NEAR(laid.layout->locationForGlyph(0).x, padding + 3, 0.01);
  EXPECT_NEAR(laid.layout->locationForGlyph(3).x, padding + 30, 0.01);
}

TEST(LayoutManagerTest, EmptyParagraphsStillTakeALine) {
  Laid laid(AttributedString(u"a\n\nb", {{AttributeName::font, Font::system(20)}}));
  const auto& fragments = laid.layout->lineFragments();
  ASSERT_EQ(fragments.size(), 3U);
  EXPECT_NEAR(fragments[1].rect.height, fragments[0].rect.height, 0.5);
}

TEST(LayoutManagerTest, LookupsFindTheFragmentOfAGlyph) {
  Laid laid(AttributedString(u"ab\ncd"));
  TextRange effective;
  Rect rect = laid.layout->lineFragmentRect(4, &effective);
  EXPECT_EQ(effective, (TextRange{3, 2}));
  EXPECT_EQ(rect, laid.layout->lineFragments()[1].rect);
  EXPECT_EQ(laid.layout->textContainer(1), laid.container.get());
  EXPECT_EQ(laid.layout->glyphRange({1, 100}), (TextRange{1, 4}));
}

TEST(LayoutManagerTest, ChangesToTheTextLayOutAnew) {
  Laid laid(AttributedString(u"one"));
  EXPECT_EQ(laid.layout->lineFragments().size(), 1U);
  laid.storage.replaceCharacters({3, 0}, AttributedString(u"\ntwo"));
  EXPECT_EQ(laid.layout->lineFragments().size(), 2U);
  laid.container->setSize({20, 0});
  EXPECT_GT(laid.layout->lineFragments().size(), 2U);
}

TEST(LayoutManagerTest, DrawsEachParagraphIntoTheCurrentContext) {
  Laid laid(AttributedString(u"one\u2029two"));
  RecordingGraphicsContext context;
  laid.layout->drawGlyphs({0, laid.storage.length()}, {10, 20});  // no current context: nothing
  {
    GraphicsContext::Current current(&context);
    laid.layout->drawGlyphs({0, laid.storage.length()}, {10, 20});
  }
  auto texts = context.operations(RecordingGraphicsContext::Operation::Kind::text);
  ASSERT_EQ(texts.size(), 2U);
  EXPECT_EQ(texts[0].text, "one");
  EXPECT_EQ(texts[1].text, "two");
  double padding = laid.container->lineFragmentPadding();
  EXPECT_DOUBLE_EQ(texts[0].rect.x, 10 + padding);
  EXPECT_DOUBLE_EQ(texts[1].rect.y, 20 + laid.layout->lineFragments()[1].usedRect.minY());
  EXPECT_EQ(context.savedStateDepth(), 0U);
}

TEST(LayoutManagerTest, MeasuredSizeGrowsWithTheText) {
  Attributes font{{AttributeName::font, Font::monospaced(10)}};
  Size one = measuredSize(AttributedString(u"8", font));
  Size two = measuredSize(AttributedString(u"88", font));
  EXPECT_GT(one.width, 3);
  EXPECT_NEAR(two.width, 2 * one.width, 0.01);
  EXPECT_NEAR(one.height, Font::monospaced(10).lineHeight(), 1.0);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(LayoutManagerTest, TailIndentsAndAlignmentPlaceTheLine) {
  const std::u16string words = u"words words words words words words words words words";
  const auto rightmost = [](const Laid& laid) {
    double edge = 0;
    for (const auto& fragment : laid.layout->lineFragments())
      edge = std::max(edge, fragment.usedRect.maxX() - 2 * laid.container->lineFragmentPadding());
    return edge;
  };
  // A tail indent of -100 in a 300-point container ends the lines 100 points before its edge.
  const double bound = 300 - 100 - 10 + 0.01;
  Laid plain(AttributedString(words, withStyle(ParagraphStyle())), 300);
  ASSERT_GT(rightmost(plain), bound) << "without the indent the lines reach past it";
  ParagraphStyle inset;
  inset.tailIndent = -100;
  Laid narrowed(AttributedString(words, withStyle(inset)), 300);
  EXPECT_GT(narrowed.layout->lineFragments().size(), plain.layout->lineFragments().size());
  EXPECT_LE(rightmost(narrowed), bound);

  ParagraphStyle right;
  right.alignment = TextAlignment::right;
  Laid aligned(AttributedString(u"end", withStyle(right)), 300);
  ASSERT_EQ(aligned.layout->lineFragments().size(), 1U);
  const auto& line = aligned.layout->lineFragments()[0];
  EXPECT_NEAR(line.usedRect.maxX(), 300, 0.5);
  EXPECT_GT(line.usedRect.minX(), 200) << "a short right-aligned line starts far from the left";
}

TEST(AttributeValueTest, ValuesOfDifferentTypesNeverCompareEqual) {
  AttributeValue one = 1;
  AttributeValue oneAgain = 1;
  AttributeValue oneAsDouble = 1.0;
  EXPECT_EQ(one, oneAgain);
  EXPECT_FALSE(one == oneAsDouble);
  EXPECT_TRUE(oneAsDouble.holds<double>());
  EXPECT_EQ(one.get<double>(), nullptr);
}

}  // namespace
}  // namespace platform

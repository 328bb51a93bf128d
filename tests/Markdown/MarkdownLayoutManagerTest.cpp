#include "Markdown/MarkdownLayoutManager.h"

#include <gtest/gtest.h>

#include "Markdown/MarkdownDebugLayoutManager.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/RecordingGraphicsContext.h"
#include "Platform/Text/TextStorage.h"

namespace markdown {
namespace {

using platform::AttributedString;
using platform::Color;
using platform::Point;
using platform::RecordingGraphicsContext;
using platform::Rect;
using Kind = RecordingGraphicsContext::Operation::Kind;

const Color kBackground = Color::fromRGB(0xEEEEEE);
const Color kStripe = Color::fromRGB(0x00AA00);
const Color kRule = Color::fromRGB(0xAA0000);

// A text laid out by a layout manager of type L into a 400-point container and drawn at `origin`.
template <class L>
struct Drawn {
  Drawn(AttributedString text, Point origin = {0, 0})
      : storage(std::move(text)),
        layout(std::make_shared<L>()),
        container(std::make_shared<platform::TextContainer>(platform::Size{400, 0})) {
    layout->addTextContainer(container);
    storage.addLayoutManager(layout);
    platform::GraphicsContext::Current current(&context);
    layout->drawGlyphs({0, storage.length()}, origin);
  }
  const platform::LayoutManager::LineFragment& fragment(std::size_t index) const {
    return layout->lineFragments().at(index);
  }
  double padding() const { return container->lineFragmentPadding(); }

  platform::TextStorage storage;
  std::shared_ptr<L> layout;
  std::shared_ptr<platform::TextContainer> container;
  RecordingGraphicsContext context;
};

AttributedString codeBlock(const std::u16string& text, double inset) {
  auto style = std::make_shared<platform::ParagraphStyle>();
  style->firstLineHeadIndent = style->headIndent = inset;
  style->tailIndent = -inset;
  return AttributedString(
      text, {{platform::AttributeName::font, platform::Font::monospaced(12)},
             {platform::AttributeName::paragraphStyle, platform::ParagraphStyleRef(style)},
             {BlockBackgroundColorAttribute::key, BlockBackgroundColorAttribute{kBackground, inset}}});
}

TEST(MarkdownLayoutManagerTest, OneLineBlockBackgroundReachesPastTheTextOnEverySide) {
  const double inset = 6;
  AttributedString text(u"before\u2029");
  text.append(codeBlock(u"code\u2029", inset));
  text.append(AttributedString(u"after"));
  Drawn<MarkdownLayoutManager> drawn(text, {10, 20});

  auto fills = drawn.context.operations(Kind::fillRect);
  ASSERT_EQ(fills.size(), 1U);
  const auto& line = drawn.fragment(1);
  EXPECT_EQ(fills[0].color, kBackground);
  EXPECT_DOUBLE_EQ(fills[0].rect.minX(), 10 + line.usedRect.minX() + drawn.padding() - inset);
  EXPECT_DOUBLE_EQ(fills[0].rect.maxX(), 10 + line.rect.maxX());
  EXPECT_DOUBLE_EQ(fills[0].rect.minY(), 20 + line.usedRect.minY() - inset);
  EXPECT_DOUBLE_EQ(fills[0].rect.maxY(), 20 + line.usedRect.maxY() + inset);
  // The text sits inset from the background's left edge.
  EXPECT_DOUBLE_EQ(drawn.layout->locationForGlyph(7).x - (fills[0].rect.minX() - 10), inset);
}

TEST(MarkdownLayoutManagerTest, ThreeLineBlockBackgroundIsOneContinuousArea) {
  const double inset = 4;
  Drawn<MarkdownLayoutManager> drawn(codeBlock(u"one\u2028two\u2028three", inset));
  auto fills = drawn.context.operations(Kind::fillRect);
  ASSERT_EQ(fills.size(), 3U);
  EXPECT_DOUBLE_EQ(fills[0].rect.minY(), drawn.fragment(0).usedRect.minY() - inset);
  EXPECT_DOUBLE_EQ(fills[1].rect.minY(), drawn.fragment(1).rect.minY());
  EXPECT_DOUBLE_EQ(fills[2].rect.maxY(), drawn.fragment(2).usedRect.maxY() + inset);
  for (std::size_t index = 0; index + 1 < fills.size(); ++index) {
    EXPECT_DOUBLE_EQ(fills[index].rect.maxY(), fills[index + 1].rect.minY()) << "gap below line " << index;
    EXPECT_DOUBLE_EQ(fills[index].rect.minX(), fills[index + 1].rect.minX());
  }
}

TEST(MarkdownLayoutManagerTest, BackgroundsGoBelowTheTextAndRulesAndStripesAbove) {
  AttributedString text = codeBlock(u"code\u2029", 2);
  text.append(
      AttributedString(u"quote", {{QuoteStripeAttribute::key, QuoteStripeAttribute{kStripe, 3, 5, {0}}}}));
  Drawn<MarkdownLayoutManager> drawn(text);
  const auto& operations = drawn.context.operations();
  ASSERT_EQ(operations.size(), 4U);
  EXPECT_EQ(operations[0].kind, Kind::fillRect);
  EXPECT_EQ(operations[0].color, kBackground);
  EXPECT_EQ(operations[1].kind, Kind::text);
  EXPECT_EQ(operations[2].kind, Kind::text);
  EXPECT_EQ(operations[3].kind, Kind::fillRect);
  EXPECT_EQ(operations[3].color, kStripe);
  EXPECT_EQ(drawn.context.savedStateDepth(), 0U);
}

TEST(MarkdownLayoutManagerTest, ThematicBreakRuleRunsFromItsIndentToTheFragmentsRightEdge) {
  auto style = std::make_shared<platform::ParagraphStyle>();
  style->firstLineHeadIndent = 30;
  AttributedString text(u"above\n");
  text.append(AttributedString(
      u"\u200B\n", {{ThematicBreakAttribute::key, ThematicBreakAttribute{2, kRule}},
                    {platform::AttributeName::paragraphStyle, platform::ParagraphStyleRef(style)}}));
  text.append(AttributedString(u"below"));
  Drawn<MarkdownLayoutManager> drawn(text, {7, 9});

  auto lines = drawn.context.operations(Kind::strokeLine);
  ASSERT_EQ(lines.size(), 1U);
  const auto& line = drawn.fragment(1);
  EXPECT_EQ(lines[0].color, kRule);
  EXPECT_EQ(lines[0].lineWidth, 2);
  EXPECT_DOUBLE_EQ(lines[0].from.x, 7 + 30 + drawn.padding());
  EXPECT_DOUBLE_EQ(lines[0].to.x, 7 + line.rect.maxX());
  EXPECT_DOUBLE_EQ(lines[0].from.y, 9 + line.rect.midY());
  EXPECT_DOUBLE_EQ(lines[0].to.y, lines[0].from.y);
}

TEST(MarkdownLayoutManagerTest, StripesRunTheFullHeightOfEveryLineAtTheirLocations) {
  QuoteStripeAttribute stripes{kStripe, 3, 5, {20, 28}};
  AttributedString text(u"intro\u2029");
  text.append(AttributedString(u"first\u2028second", {{QuoteStripeAttribute::key, stripes}}));
  Drawn<MarkdownLayoutManager> drawn(text, {0, 100});

  auto fills = drawn.context.operations(Kind::fillRect);
  ASSERT_EQ(fills.size(), 4U);
  for (std::size_t line = 0; line < 2; ++line) {
    const auto& fragment = drawn.fragment(line + 1);
    for (std::size_t stripe = 0; stripe < 2; ++stripe) {
      const Rect& fill = fills[line * 2 + stripe].rect;
      EXPECT_DOUBLE_EQ(fill.minX(), fragment.rect.minX() + drawn.padding() + stripes.locations[stripe]);
      EXPECT_DOUBLE_EQ(fill.minY(), 100 + fragment.rect.minY());
      EXPECT_DOUBLE_EQ(fill.height, fragment.rect.height);
      EXPECT_DOUBLE_EQ(fill.width, 3);
    }
  }
}

TEST(MarkdownLayoutManagerTest, ValuesOfAnotherTypeAreNotDrawn) {
  AttributedString text(u"odd", {{QuoteStripeAttribute::key, std::string("stripe")},
                                 {ThematicBreakAttribute::key, 1.0},
                                 {BlockBackgroundColorAttribute::key, kBackground}});
  Drawn<MarkdownLayoutManager> drawn(text);
  ASSERT_EQ(drawn.context.operations().size(), 1U);
  EXPECT_EQ(drawn.context.operations()[0].kind, Kind::text);
}

TEST(MarkdownDebugLayoutManagerTest, OutlinesEveryLineFragment) {
  Drawn<MarkdownDebugLayoutManager> drawn(AttributedString(u"one\u2029two\u2028three"), {3, 4});
  auto outlines = drawn.context.operations(Kind::strokeRect);
  ASSERT_EQ(outlines.size(), 6U);
  for (std::size_t line = 0; line < 3; ++line) {
    EXPECT_EQ(outlines[2 * line].color, Color::blueColor());
    EXPECT_EQ(outlines[2 * line].rect, drawn.fragment(line).usedRect.offsetBy({3, 4}));
    EXPECT_EQ(outlines[2 * line + 1].color, Color::redColor());
    EXPECT_EQ(outlines[2 * line + 1].rect, drawn.fragment(line).rect.offsetBy({3, 4}));
  }
}

}  // namespace
}  // namespace markdown

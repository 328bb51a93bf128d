#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/AttributedString.h"
#include "Platform/Text/CairoImageContext.h"
#include "Platform/Text/Color.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/LayoutManager.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/RecordingGraphicsContext.h"
#include "Platform/Text/TextMeasurement.h"
#include "Platform/Text/TextStorage.h"
#include "Platform/Text/TextView.h"
#include "tests/support/TemporaryFolder.h"

namespace platform {
namespace {

const std::string kTag = "tag";

std::vector<std::pair<std::string, TextRange>> tagRuns(const AttributedString& text) {
  std::vector<std::pair<std::string, TextRange>> result;
  for (const AttributeRun& run : text.runsOf(kTag, {0, text.length()})) {
    std::string name = "-";
    if (const std::string* value = run.value ? run.value->get<std::string>() : nullptr) {
      name = *value;
    }
    result.emplace_back(std::move(name), run.range);
  }
  return result;
}

std::string tagAt(const AttributedString& text, std::size_t position) {
  std::string name = "-";
  if (const auto* value = text.attribute<std::string>(kTag, position)) {
    name = *value;
  }
  return name;
}

using Runs = std::vector<std::pair<std::string, TextRange>>;

TEST(AttributedStringTest, AddKeepsOtherKeysSetReplacesAllAndValuesAreRecognisedByType) {
  AttributedString text(u"abcdef", {{AttributeName::foregroundColor, Color::redColor()}});
  text.addAttribute(kTag, std::string("x"), {2, 2});
  EXPECT_NE(text.attribute(AttributeName::foregroundColor, 2), nullptr);
  EXPECT_EQ(tagAt(text, 3), "x");
  text.setAttributes({{kTag, std::string("y")}}, {3, 3});
  EXPECT_EQ(text.attribute(AttributeName::foregroundColor, 3), nullptr);
  EXPECT_NE(text.attribute(AttributeName::foregroundColor, 2), nullptr);
  EXPECT_EQ(tagRuns(text), (Runs{{"-", {0, 2}}, {"x", {2, 1}}, {"y", {3, 3}}}));

  AttributedString typed(u"ab", {{kTag, 42}});
  EXPECT_EQ(typed.attribute<std::string>(kTag, 0), nullptr);
  const int* value = typed.attribute<int>(kTag, 0);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, 42);
}

TEST(AttributedStringTest, EqualNeighboursMergeAndTheLongestEffectiveRangeSpansRunsWithTheSameValue) {
  AttributedString text(u"abcdef");
  text.addAttribute(kTag, std::string("x"), {0, 2});
  text.addAttribute(kTag, std::string("x"), {4, 2});
  text.addAttribute(kTag, std::string("x"), {2, 2});
  TextRange effective;
  text.attributes(1, &effective);
  EXPECT_EQ(effective, (TextRange{0, 6}));
  text.addAttribute(AttributeName::foregroundColor, Color::blueColor(), {2, 1});
  TextRange longest;
  text.attribute(kTag, 4, &longest);
  EXPECT_EQ(longest, (TextRange{0, 6}));
  text.attribute(AttributeName::foregroundColor, 0, &longest);
  EXPECT_EQ(longest, (TextRange{0, 2}));
}

TEST(AttributedStringTest, RunsOfAreClippedAndReportGaps) {
  AttributedString text(u"0123456789");
  text.addAttribute(kTag, std::string("x"), {3, 4});
  EXPECT_EQ(tagRuns(text), (Runs{{"-", {0, 3}}, {"x", {3, 4}}, {"-", {7, 3}}}));
  auto clipped = text.runsOf(kTag, {5, 4});
  ASSERT_EQ(clipped.size(), 2U);
  EXPECT_EQ(clipped[0].range, (TextRange{5, 2}));
  EXPECT_EQ(clipped[1].range, (TextRange{7, 2}));
  EXPECT_FALSE(clipped[1].value.has_value());
}

TEST(AttributedStringTest, EnumerationMayChangeTheString) {
  AttributedString text(u"abcdef");
  text.addAttribute(kTag, std::string("x"), {0, 3});
  int visits = 0;
  text.enumerateAttribute(kTag, {0, 6}, [&](const AttributeValue* value, TextRange range) {
    ++visits;
    if (value == nullptr) {
      text.addAttribute(kTag, std::string("gap"), range);
    }
  });
  EXPECT_EQ(visits, 2);
  EXPECT_EQ(tagRuns(text), (Runs{{"x", {0, 3}}, {"gap", {3, 3}}}));
}

TEST(AttributedStringTest, AppendInsertAndReplaceKeepAttributesInPlace) {
  AttributedString text(u"held", {{kTag, std::string("a")}});
  text.append(AttributedString(u"!", {{kTag, std::string("b")}}));
  text.insert(AttributedString(u">>", {{kTag, std::string("c")}}), 0);
  EXPECT_EQ(text.string(), u">>held!");
  EXPECT_EQ(tagRuns(text), (Runs{{"c", {0, 2}}, {"a", {2, 4}}, {"b", {6, 1}}}));
  text.replaceCharacters({3, 2}, AttributedString(u"EEEE", {{kTag, std::string("d")}}));
  EXPECT_EQ(text.string(), u">>hEEEEd!");
  EXPECT_EQ(tagRuns(text), (Runs{{"c", {0, 2}}, {"a", {2, 1}}, {"d", {3, 4}}, {"a", {7, 1}}, {"b", {8, 1}}}));
}

TEST(AttributedStringTest, PlainReplacementTakesTheAttributesAround) {
  AttributedString text(u"abc", {{kTag, std::string("a")}});
  text.append(AttributedString(u"def", {{kTag, std::string("b")}}));
  text.replaceCharacters({3, 1}, u"XY");
  EXPECT_EQ(tagRuns(text), (Runs{{"a", {0, 3}}, {"b", {3, 4}}}));
  text.replaceCharacters({3, 0}, u"Z");
  EXPECT_EQ(text.string(), u"abcZXYef");
  EXPECT_EQ(tagRuns(text), (Runs{{"a", {0, 4}}, {"b", {4, 4}}}));
  AttributedString empty;
  empty.replaceCharacters({0, 0}, u"new");
  EXPECT_TRUE(empty.attributes(0).empty());
}

TEST(AttributedStringTest, SubstringKeepsAttributesAndRebasesRangesCountedInUTF16Units) {
  AttributedString text(u"0123456789");
  text.addAttribute(kTag, std::string("x"), {4, 2});
  AttributedString piece = text.substring({3, 5});
  EXPECT_EQ(piece.string(), u"34567");
  EXPECT_EQ(tagRuns(piece), (Runs{{"-", {0, 1}}, {"x", {1, 2}}, {"-", {3, 2}}}));
  EXPECT_EQ(AttributedString(u"a\U0001F600b").length(), 4U);
}

TEST(AttributedStringTest, RangesOutsideTheTextThrowAndChangeNothing) {
  AttributedString text(u"abc");
  EXPECT_THROW(text.addAttribute(kTag, 1, {2, 2}), std::out_of_range);
  EXPECT_THROW(text.attributes(3), std::out_of_range);
  EXPECT_THROW(text.replaceCharacters({4, 0}, u"x"), std::out_of_range);
  EXPECT_EQ(text, AttributedString(u"abc"));
}

TEST(AttributedStringTest, ParagraphRangesIncludeTheirTerminators) {
  AttributedString text(u"one\u2029two\r\nthree\nfour\u2028still");
  EXPECT_EQ(text.paragraphRange({0, 1}), (TextRange{0, 4}));
  EXPECT_EQ(text.paragraphRange({3, 1}), (TextRange{0, 4}));
  EXPECT_EQ(text.paragraphRange({5, 0}), (TextRange{4, 5}));
  EXPECT_EQ(text.paragraphRange({8, 1}), (TextRange{4, 5}));  // the LF of CR LF
  EXPECT_EQ(text.paragraphRange({2, 8}), (TextRange{0, 15}));
  // U+2028 breaks a line, not a paragraph.
  EXPECT_EQ(text.paragraphRange({16, 1}), (TextRange{15, 10}));
  EXPECT_EQ(text.paragraphRange({text.length(), 0}), (TextRange{15, 10}));
}

TEST(AttributedStringTest, SharedParagraphStylesChangeEverywhere) {
  auto shared = std::make_shared<ParagraphStyle>();
  AttributedString text(u"ab", {{AttributeName::paragraphStyle, ParagraphStyleRef(shared)}});
  shared->headIndent = 12;
  const auto* stored = text.attribute<ParagraphStyleRef>(AttributeName::paragraphStyle, 1);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->shared()->headIndent, 12);
  auto copy = shared->copy();
  copy->headIndent = 3;
  EXPECT_EQ(shared->headIndent, 12);
}

TEST(FontTest, MonospaceFollowsTheFamilyAndTraitsAreReplacedNotMerged) {
  EXPECT_TRUE(Font::monospaced(12).hasTrait(fontTraitMonospace));
  EXPECT_FALSE(Font::system(12).hasTrait(fontTraitMonospace));
  // Asking a proportional font for monospace moves it to the monospaced family.
  Font moved = Font::system(12).withSymbolicTraits(fontTraitMonospace | fontTraitBold);
  EXPECT_EQ(moved.family(), Font::defaultMonospaceFamily);
  EXPECT_TRUE(moved.hasTrait(fontTraitBold));
  EXPECT_EQ(moved.pointSize(), 12);

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

TEST(LayoutManagerTest, ParagraphsEmptyOrNotStackAndCoverEveryGlyph) {
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

  // An empty paragraph still takes a line.
  Laid empty(AttributedString(u"a\n\nb", {{AttributeName::font, Font::system(20)}}));
  ASSERT_EQ(empty.layout->lineFragments().size(), 3U);
  EXPECT_NEAR(empty.layout->lineFragments()[1].rect.height, empty.layout->lineFragments()[0].rect.height,
              0.5);
}

TEST(LayoutManagerTest, LineSeparatorBreaksTheParagraphWhoseSpacingGoesToItsEnds) {
  ParagraphStyle style;
  style.paragraphSpacing = 10;
  style.paragraphSpacingBefore = 7;
  Laid laid(AttributedString(u"one\u2028two", withStyle(style)));
  const auto& fragments = laid.layout->lineFragments();
  ASSERT_EQ(fragments.size(), 2U);
  EXPECT_EQ(fragments[0].glyphRange, (TextRange{0, 4}));
  EXPECT_EQ(fragments[1].glyphRange, (TextRange{4, 3}));
  // The spacing after the paragraph goes to its last line only.
  EXPECT_DOUBLE_EQ(fragments[0].rect.maxY(), fragments[0].usedRect.maxY());
  EXPECT_DOUBLE_EQ(fragments[1].rect.maxY(), fragments[1].usedRect.maxY() + 10);
  // The spacing before sits above the first line's used rect only.
  EXPECT_DOUBLE_EQ(fragments[0].usedRect.minY() - fragments[0].rect.minY(), 7);
  EXPECT_DOUBLE_EQ(fragments[1].usedRect.minY(), fragments[1].rect.minY());
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

TEST(LayoutManagerTest, LookupsFindTheFragmentOfAGlyphAndChangesLayOutAnew) {
  Laid laid(AttributedString(u"ab\ncd"));
  TextRange effective;
  Rect rect = laid.layout->lineFragmentRect(4, &effective);
  EXPECT_EQ(effective, (TextRange{3, 2}));
  EXPECT_EQ(rect, laid.layout->lineFragments()[1].rect);
  EXPECT_EQ(laid.layout->textContainer(1), laid.container.get());
  EXPECT_EQ(laid.layout->glyphRange({1, 100}), (TextRange{1, 4}));
  // Changes to the text or the container lay out anew.
  laid.storage.replaceCharacters({5, 0}, AttributedString(u"\nthree"));
  EXPECT_EQ(laid.layout->lineFragments().size(), 3U);
  laid.container->setSize({20, 0});
  EXPECT_GT(laid.layout->lineFragments().size(), 3U);
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

struct Parts {
  Parts()
      : storage(std::make_shared<TextStorage>()),
        layout(std::make_shared<LayoutManager>()),
        container(std::make_shared<TextContainer>()) {
    storage->addLayoutManager(layout);
    layout->addTextContainer(container);
  }
  std::shared_ptr<TextStorage> storage;
  std::shared_ptr<LayoutManager> layout;
  std::shared_ptr<TextContainer> container;
};

TEST(TextViewTest, TheContainerTakesTheViewsWidthAndMustBeOfTheViewsStorage) {
  Parts parts;
  TextView view({0, 0, 240, 100}, parts.storage, parts.container);
  EXPECT_EQ(parts.container->size().width, 240);
  view.setString(u"one\ntwo");
  EXPECT_EQ(view.string(), u"one\ntwo");
  EXPECT_EQ(parts.layout->lineFragments().at(0).rect.width, 240);
  EXPECT_THROW(TextView({}, std::make_shared<TextStorage>(), parts.container), std::invalid_argument);
}

TEST(TextViewTest, LinkAttributesAreLaidOverLinksOnlyAndEveryParagraphIsDrawn) {
  Parts parts;
  TextView view({0, 0, 400, 100}, parts.storage, parts.container);
  EXPECT_EQ(view.linkTextAttributes().count(AttributeName::foregroundColor), 1U);
  AttributedString text(u"plain\n");
  text.append(AttributedString(u"link", {{AttributeName::link, std::string("https://example.org")}}));
  parts.storage->setAttributedString(text);
  double before = parts.layout->lineFragments().at(1).usedRect.height;
  view.setLinkTextAttributes({{AttributeName::font, Font::system(40)}});
  EXPECT_GT(parts.layout->lineFragments().at(1).usedRect.height, before * 2);
  EXPECT_NEAR(parts.layout->lineFragments().at(0).usedRect.height, before, 0.01);
  EXPECT_EQ(parts.storage->attributedString().attribute(AttributeName::font, 7), nullptr);
  view.setString(u"a\nb\nc");
  RecordingGraphicsContext context;
  view.draw(context);
  EXPECT_EQ(context.operations(RecordingGraphicsContext::Operation::Kind::text).size(), 3U);
  EXPECT_EQ(GraphicsContext::current(), nullptr);
}

constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;
constexpr std::uint32_t kOpaqueBlue = 0xFF0000FF;

TEST(CairoImageContextTest, FillsAtTheScaleAskedWithTheColourOfTheRestoredState) {
  CairoImageContext context(10, 10, 2.0);
  EXPECT_EQ(context.pixelWidth(), 20);
  context.setFillColor(Color::redColor());
  context.fillRect({2, 2, 3, 3});
  EXPECT_EQ(context.pixel(5, 5), kOpaqueRed);
  EXPECT_EQ(context.pixel(9, 9), kOpaqueRed);
  EXPECT_EQ(context.pixel(10, 10), 0U);
  EXPECT_EQ(context.pixel(3, 3), 0U);
  // Restoring brings back the fill colour.
  context.saveGState();
  context.setFillColor(Color::blueColor());
  context.fillRect({0, 0, 1, 1});
  context.restoreGState();
  context.fillRect({6, 6, 1, 1});
  EXPECT_EQ(context.pixel(0, 0), kOpaqueBlue);
  EXPECT_EQ(context.pixel(12, 12), kOpaqueRed);
  EXPECT_THROW(context.restoreGState(), std::logic_error);
}

TEST(CairoImageContextTest, WritesAPngFile) {
  CairoImageContext context(4, 4);
  const testsupport::TemporaryFolder folder("quellorin-cairo-");
  context.writePNG(folder.path() / "image.png");
  std::ifstream file(folder.path() / "image.png", std::ios::binary);
  char signature[8] = {};
  file.read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_THROW(context.writePNG("/nonexistent-folder/image.png"), std::runtime_error);
}

using Kind = RecordingGraphicsContext::Operation::Kind;

TEST(RecordingGraphicsContextTest, OperationsCarryTheStateTheyWereMadeInAndAnUnbalancedRestoreIsRefused) {
  RecordingGraphicsContext context;
  context.setFillColor(Color::redColor());
  context.saveGState();
  context.setFillColor(Color::blueColor());
  context.setStrokeColor(Color::redColor());
  context.setLineWidth(3);
  context.fillRect({1, 2, 3, 4});
  context.strokeLine({0, 5}, {10, 5});
  context.restoreGState();
  context.fillRect({5, 6, 7, 8});
  context.strokeRect({0, 0, 1, 1});

  const auto& operations = context.operations();
  ASSERT_EQ(operations.size(), 4U);
  EXPECT_EQ(operations[0].kind, Kind::fillRect);
  EXPECT_EQ(operations[0].color, Color::blueColor());
  EXPECT_EQ(operations[1].lineWidth, 3);
  EXPECT_EQ(operations[1].color, Color::redColor());
  EXPECT_EQ(operations[1].to, (Point{10, 5}));
  EXPECT_EQ(operations[2].color, Color::redColor());
  EXPECT_EQ(operations[3].lineWidth, 1);
  EXPECT_EQ(operations[3].color, Color::blackColor());
  EXPECT_EQ(context.operations(Kind::fillRect).size(), 2U);

  EXPECT_THROW(context.restoreGState(), std::logic_error);
}

TEST(RecordingGraphicsContextTest, CurrentContextNestsPerScope) {
  RecordingGraphicsContext outer;
  RecordingGraphicsContext inner;
  EXPECT_EQ(GraphicsContext::current(), nullptr);
  {
    GraphicsContext::Current first(&outer);
    {
      GraphicsContext::Current second(&inner);
      EXPECT_EQ(GraphicsContext::current(), &inner);
    }
    EXPECT_EQ(GraphicsContext::current(), &outer);
  }
  EXPECT_EQ(GraphicsContext::current(), nullptr);
}

}  // namespace
}  // namespace platform

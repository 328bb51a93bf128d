#include "Markdown/MarkdownStyler.h"

#include <gtest/gtest.h>

#include "Markdown/BlockBackgroundColorAttribute.h"
#include "Markdown/QuoteStripeAttribute.h"
#include "Markdown/StaticColorCollection.h"
#include "Markdown/StaticFontCollection.h"
#include "Markdown/StaticParagraphStyleCollection.h"
#include "Markdown/ThematicBreakAttribute.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/TextMeasurement.h"

namespace markdown {
namespace {

using platform::AttributedString;
using platform::Color;
using platform::Font;
using platform::ParagraphStyleRef;
using platform::AttributeName::font;
using platform::AttributeName::foregroundColor;
using platform::AttributeName::link;
using platform::AttributeName::paragraphStyle;

// The value of `key` at `position`, which the test expects to be there with type T.
template <class T>
T valueAt(const AttributedString& text, const std::string& key, std::size_t position) {
  const T* value = text.attribute<T>(key, position);
  if (value == nullptr) {
    throw std::runtime_error("no value of the expected type under " + key);
  }
  return *value;
}

class MarkdownStylerTest : public ::testing::Test {
 protected:
  MarkdownStylerTest() : configuration(MarkdownStylerConfiguration::standard()) {
    configuration.quoteStripeOptions = {3, 5};
    configuration.codeBlockOptions = {6};
    configuration.thematicBreakOptions = {2, 11};
    configuration.listItemOptions = {1, 8, 2, 3, platform::TextAlignment::natural};
  }

  MarkdownStyler& styler() {
    if (!made) {
      made = std::make_unique<MarkdownStyler>(configuration);
    }
    return *made;
  }

  // Text styled as the visitor styles a text node.
  AttributedString text(const std::u16string& characters) {
    AttributedString piece(characters);
    styler().styleText(piece);
    return piece;
  }

  AttributedString paragraph(const std::u16string& characters, bool separator) {
    AttributedString piece = text(characters + (separator ? u"\u2029" : u""));
    styler().styleParagraph(piece);
    return piece;
  }

  static Font fontAt(const AttributedString& text, std::size_t at) { return valueAt<Font>(text, font, at); }
  static platform::ParagraphStyle styleAt(const AttributedString& text, std::size_t at) {
    return *valueAt<ParagraphStyleRef>(text, paragraphStyle, at).shared();
  }
  static QuoteStripeAttribute stripesAt(const AttributedString& text, std::size_t at) {
    return valueAt<QuoteStripeAttribute>(text, QuoteStripeAttribute::key, at);
  }

  MarkdownStylerConfiguration configuration;
  std::unique_ptr<MarkdownStyler> made;
};

TEST_F(MarkdownStylerTest, HeadingLevelsOutsideOneToSixTakeLevelOne) {
  for (int level : {0, 1, 7}) {
    AttributedString heading = text(u"Title");
    styler().styleHeading(heading, level);
    EXPECT_EQ(fontAt(heading, 0), configuration.fonts->heading1()) << level;
    EXPECT_EQ(valueAt<Color>(heading, foregroundColor, 0), configuration.colors->heading1());
    EXPECT_EQ(valueAt<ParagraphStyleRef>(heading, paragraphStyle, 0).shared(),
              configuration.paragraphStyles->heading1());
  }
  AttributedString third = text(u"Third");
  styler().styleHeading(third, 3);
  EXPECT_EQ(fontAt(third, 0), configuration.fonts->heading3());
}

TEST_F(MarkdownStylerTest, HeadingsKeepBoldAndMonospaceOfInnerRuns) {
  auto fonts = std::make_shared<StaticFontCollection>(StaticFontCollection::standard());
  fonts->setHeading2(Font::system(22));  // a heading font without bold
  configuration.fonts = fonts;
  AttributedString heading = text(u"plain ");
  AttributedString bold = text(u"bold");
  styler().styleStrong(bold);
  AttributedString code(u" code");
  styler().styleCode(code);
  heading.append(bold);
  heading.append(code);
  styler().styleHeading(heading, 2);

  EXPECT_EQ(fontAt(heading, 0), Font::system(22));
  Font boldFont = fontAt(heading, 6);
  EXPECT_TRUE(boldFont.hasTrait(platform::fontTraitBold));
  EXPECT_EQ(boldFont.pointSize(), 22);
  Font codeFont = fontAt(heading, 11);
  EXPECT_TRUE(codeFont.hasTrait(platform::fontTraitMonospace));
  EXPECT_FALSE(codeFont.hasTrait(platform::fontTraitBold));
  EXPECT_EQ(codeFont.pointSize(), 22);
}

TEST_F(MarkdownStylerTest, NestedEmphasisAndStrongAddUpTraits) {
  AttributedString inner = text(u"both");
  styler().styleStrong(inner);
  AttributedString outer = text(u"it ");
  outer.append(inner);
  styler().styleEmphasis(outer);
  Font both = fontAt(outer, 4);
  EXPECT_TRUE(both.hasTrait(platform::fontTraitBold));
  EXPECT_TRUE(both.hasTrait(platform::fontTraitItalic));
  EXPECT_FALSE(fontAt(outer, 0).hasTrait(platform::fontTraitBold));

  // An emphasis over text that already is italic keeps its font.
  Font before = fontAt(outer, 0);
  styler().styleEmphasis(outer);
  EXPECT_EQ(fontAt(outer, 0), before);
}

TEST_F(MarkdownStylerTest, LinksWithoutAnAddressStayPlain) {
  AttributedString withURL = text(u"here");
  styler().styleLink(withURL, std::nullopt, "https://example.org");
  EXPECT_EQ(valueAt<std::string>(withURL, link, 0), "https://example.org");
  EXPECT_EQ(valueAt<Color>(withURL, foregroundColor, 0), configuration.colors->link());

  AttributedString without = text(u"here");
  styler().styleLink(without, "title", std::nullopt);
  EXPECT_EQ(without.attribute(link, 0), nullptr);
  EXPECT_EQ(valueAt<Color>(without, foregroundColor, 0), configuration.colors->body());
}

TEST_F(MarkdownStylerTest, CodeBlocksGetAnInsetStyleAndABackground) {
  AttributedString block(u"let a\u2028let b\u2029");
  styler().styleCodeBlock(block, "swift");
  auto style = styleAt(block, 3);
  const auto& code = *configuration.paragraphStyles->code();
  EXPECT_EQ(style.paragraphSpacingBefore, code.paragraphSpacingBefore + 6);
  EXPECT_EQ(style.paragraphSpacing, code.paragraphSpacing + 6);
  EXPECT_EQ(style.firstLineHeadIndent, 6);
  EXPECT_EQ(style.headIndent, 6);
  EXPECT_EQ(style.tailIndent, -6);
  EXPECT_EQ(code.headIndent, 0) << "the shared code style must not change";
  EXPECT_EQ(valueAt<BlockBackgroundColorAttribute>(block, BlockBackgroundColorAttribute::key, 11),
            (BlockBackgroundColorAttribute{configuration.colors->codeBlockBackground(), 6}));
  EXPECT_EQ(fontAt(block, 0), configuration.fonts->code());
}

TEST_F(MarkdownStylerTest, ThematicBreaksCarryTheRuleAndItsIndent) {
  AttributedString rule(u"\u200B\n");
  styler().styleThematicBreak(rule);
  EXPECT_EQ(valueAt<ThematicBreakAttribute>(rule, ThematicBreakAttribute::key, 0),
            (ThematicBreakAttribute{2, configuration.colors->thematicBreak()}));
  EXPECT_EQ(styleAt(rule, 1).firstLineHeadIndent, 11);
}

TEST_F(MarkdownStylerTest, NestedQuotesShiftInnerTextAndKeepInnerStripes) {
  const double stripe = 3 + 5;
  AttributedString inner = paragraph(u"inner", false);
  styler().styleBlockQuote(inner, 1);
  EXPECT_EQ(stripesAt(inner, 0).locations, (std::vector<double>{0, stripe}));
  EXPECT_EQ(styleAt(inner, 0).headIndent, stripe);

  AttributedString outer = paragraph(u"outer", true);
  inner.append(AttributedString(u""));
  outer.append(inner);
  styler().styleBlockQuote(outer, 0);
  EXPECT_EQ(stripesAt(outer, 0).locations, (std::vector<double>{0}));
  EXPECT_EQ(styleAt(outer, 0).headIndent, stripe);
  EXPECT_EQ(stripesAt(outer, 7).locations, (std::vector<double>{0, stripe}));
  EXPECT_EQ(styleAt(outer, 7).headIndent, 2 * stripe);
  EXPECT_EQ(styleAt(outer, 7).firstLineHeadIndent, 2 * stripe);
  EXPECT_EQ(valueAt<Color>(outer, foregroundColor, 7), configuration.colors->quote());
}

TEST_F(MarkdownStylerTest, ForeignValuesUnderTheStripeKeyAreLeftAlone) {
  AttributedString quote = paragraph(u"text", false);
  quote.addAttribute(QuoteStripeAttribute::key, std::string("not stripes"), {0, 2});
  styler().styleBlockQuote(quote, 0);
  EXPECT_EQ(valueAt<std::string>(quote, QuoteStripeAttribute::key, 0), "not stripes");
  EXPECT_EQ(stripesAt(quote, 2).locations, (std::vector<double>{0}));
}

// An item as the visitor builds it: the styled marker and tab, then the item's blocks.
AttributedString item(MarkdownStyler& styler, const std::u16string& marker, AttributedString body) {
  AttributedString prefix(marker + u"\t");
  styler.styleListItemPrefix(prefix);
  body.insert(prefix, 0);
  styler.styleItem(body, marker.size());
  return body;
}

TEST_F(MarkdownStylerTest, MarkersEndAtTheSameColumnWhateverTheirWidth) {
  const ListItemParagraphStyler& column = styler().itemParagraphStyler();
  AttributedString narrow = item(styler(), u"\u2022", paragraph(u"bullet", false));
  AttributedString wide = item(styler(), u"10.", paragraph(u"ten", false));

  auto prefixWidth = [&](const std::u16string& marker) {
    return platform::measuredSize(AttributedString(marker, styler().listPrefixAttributes())).width;
  };
  auto narrowStyle = styleAt(narrow, 0);
  EXPECT_GT(narrowStyle.firstLineHeadIndent, 0);
  EXPECT_NEAR(narrowStyle.firstLineHeadIndent, column.largestPrefixWidth() - prefixWidth(u"\u2022"), 1e-9);
  ASSERT_EQ(narrowStyle.tabStops.size(), 1U);
  EXPECT_NEAR(narrowStyle.tabStops[0].location, column.contentIndent(), 1e-9);

  // With room for one digit, "10." is wider than the column: it starts further left and its
  // tab is pushed right by the excess.
  auto wideStyle = styleAt(wide, 0);
  double excess = prefixWidth(u"10.") - column.largestPrefixWidth();
  ASSERT_GT(excess, 0);
  EXPECT_LT(wideStyle.firstLineHeadIndent, 0);
  EXPECT_NEAR(wideStyle.tabStops.at(0).location, column.contentIndent() + excess, 1e-9);
  // The item's own text keeps the body style, indented to the text column.
  EXPECT_EQ(styleAt(wide, 4).headIndent,
            configuration.paragraphStyles->body()->headIndent + column.contentIndent());
}

TEST_F(MarkdownStylerTest, LaterItemParagraphsAreIndentedAndTheirStripesShifted) {
  AttributedString body = paragraph(u"first", true);
  AttributedString quote = paragraph(u"quoted", false);
  styler().styleBlockQuote(quote, 0);
  quote.append(AttributedString(u"\u2029"));
  body.append(quote);
  AttributedString loose(u"xy");  // a later paragraph without a style of its own
  body.append(loose);
  AttributedString styled = item(styler(), u"\u2022", body);

  double indent = styler().itemParagraphStyler().contentIndent();
  std::size_t quoteStart = 2 + 6;
  EXPECT_EQ(stripesAt(styled, quoteStart).locations, (std::vector<double>{indent}));
  EXPECT_EQ(styleAt(styled, quoteStart).headIndent, 8 + indent);
  auto following = styleAt(styled, styled.length() - 1);
  EXPECT_EQ(following.headIndent, indent);
  EXPECT_EQ(following.paragraphSpacingBefore, 2);
  EXPECT_EQ(following.paragraphSpacing, 3);
}

TEST_F(MarkdownStylerTest, ItemParagraphsShorterThanTwoUnitsAreSkipped) {
  AttributedString body = paragraph(u"a", true);
  AttributedString empty(u"\u2029");
  body.append(empty);
  AttributedString quote = paragraph(u"qq", false);
  styler().styleBlockQuote(quote, 0);
  body.append(quote);
  AttributedString styled = item(styler(), u"\u2022", body);
  // "•\ta\u2029" is the first paragraph, the lone separator is skipped, "qq" is shifted.
  EXPECT_EQ(styled.attribute(paragraphStyle, 4), nullptr);
  EXPECT_EQ(stripesAt(styled, 5).locations.at(0), styler().itemParagraphStyler().contentIndent());
}

TEST_F(MarkdownStylerTest, LaterChangesToTheConfigurationDoNotReachTheStyler) {
  auto colors = std::make_shared<StaticColorCollection>(StaticColorCollection::standard());
  configuration.colors = colors;
  styler();
  colors->setBody(Color::redColor());
  AttributedString plain = text(u"a");
  EXPECT_NE(valueAt<Color>(plain, foregroundColor, 0), Color::redColor());
}

TEST(StaticParagraphStyleCollectionTest, HeadingLevelsShareOneStyleObject) {
  StaticParagraphStyleCollection styles;
  EXPECT_EQ(styles.heading1(), styles.heading6());
  EXPECT_NE(styles.body(), styles.code());
  EXPECT_EQ(styles.body()->lineSpacing, 8);
  EXPECT_EQ(styles.code()->paragraphSpacingBefore, 8);
  styles.heading2()->paragraphSpacing = 20;
  EXPECT_EQ(styles.heading5()->paragraphSpacing, 20);
  styles.setHeading1(std::make_shared<platform::ParagraphStyle>());
  EXPECT_NE(styles.heading1(), styles.heading2());
  EXPECT_EQ(styles.heading2(), styles.heading3());
}

}  // namespace
}  // namespace markdown

#include "Markdown/HTMLAttributedStringImporter.h"

#include <gtest/gtest.h>

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/StyleSheetFontRules.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Font.h"
#include "tests/support/Thrown.h"

namespace markdown {
namespace {

using platform::AttributedString;

platform::Font fontOf(const AttributedString& text, const std::u16string& word) {
  std::size_t at = text.string().find(word);
  const auto* font = at == std::u16string::npos
                         ? nullptr
                         : text.attribute<platform::Font>(platform::AttributeName::font, at);
  if (font == nullptr) {
    throw std::runtime_error("no font on the word");
  }
  return *font;
}

TEST(StyleSheetFontRulesTest, TypeSelectorsBeatTheUniversalOneAndLaterRulesWin) {
  StyleSheetFontRules rules;
  rules.add(
      "code { font-family: 'First Mono', monospace } /* p { font-family: Hidden } */ * {font-family: Any}");
  rules.add(
      "code, pre { font-family: \"Second Mono\" } .note { font-family: Class } p em { font-family: Nested }");
  EXPECT_EQ(rules.familyFor("code"), "Second Mono");
  EXPECT_EQ(rules.familyFor("pre"), "Second Mono");
  EXPECT_EQ(rules.familyFor("p"), "Any");
  EXPECT_EQ(StyleSheetFontRules().familyFor("p"), std::nullopt);
}

TEST(HTMLAttributedStringImporterTest, TheDefaultStylesheetSetsHelveticaAndMenlo) {
  AttributedString text = Markdown("Some `code` here\n\n```\nblock\n```")
                              .toAttributedString(MarkdownOptions::default_, std::nullopt);
  EXPECT_EQ(text.string(), u"Some code here\nblock\n");
  EXPECT_EQ(fontOf(text, u"Some").family(), "Helvetica");
  EXPECT_EQ(fontOf(text, u"code").family(), "Menlo");
  EXPECT_EQ(fontOf(text, u"block").family(), "Menlo");
  EXPECT_EQ(fontOf(text, u"here").pointSize(), 12);
}

TEST(HTMLAttributedStringImporterTest, AGivenStylesheetReplacesTheDefault) {
  AttributedString text = Markdown("# Head\n\nbody `x`")
                              .toAttributedString(MarkdownOptions::default_, "h1 { font-family: Serif }");
  EXPECT_EQ(fontOf(text, u"Head").family(), "Serif");
  EXPECT_EQ(fontOf(text, u"body").family(), platform::Font::defaultFamily);
  EXPECT_EQ(fontOf(text, u"x").family(), platform::Font::defaultMonospaceFamily);
}

TEST(HTMLAttributedStringImporterTest, ElementsMapToTraitsLinksAndBreaks) {
  AttributedString text = Markdown("# Big *tilt*\n\n**heavy** [go](https://example.org)\nnext")
                              .toAttributedString(MarkdownOptions::hardBreaks, std::nullopt);
  EXPECT_EQ(text.string(), u"Big tilt\nheavy go\u2028next\n");
  platform::Font tilt = fontOf(text, u"tilt");
  EXPECT_TRUE(tilt.hasTrait(platform::fontTraitBold));
  EXPECT_TRUE(tilt.hasTrait(platform::fontTraitItalic));
  EXPECT_EQ(tilt.pointSize(), 24);
  EXPECT_TRUE(fontOf(text, u"heavy").hasTrait(platform::fontTraitBold));
  std::size_t link = text.string().find(u"go");
  const auto* url = text.attribute<std::string>(platform::AttributeName::link, link);
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(*url, "https://example.org");
  EXPECT_EQ(text.attribute(platform::AttributeName::link, link + 2), nullptr);
}

TEST(HTMLAttributedStringImporterTest, ListItemsGetMarkersAndWhiteSpaceCollapses) {
  AttributedString text = HTMLAttributedStringImporter::attributedString(
      "<ol start=\"9\">\n  <li>nine</li>\n  <li>ten   and\n more</li>\n</ol><ul><li>dot</li></ul>");
  EXPECT_EQ(text.string(), u"9.\tnine\n10.\tten and more\n\u2022\tdot\n");
}

TEST(HTMLAttributedStringImporterTest, RawHtmlCommentsAndScriptsLeaveNothing) {
  AttributedString text =
      Markdown("<div>raw</div>\n\nafter").toAttributedString(MarkdownOptions::default_, std::nullopt);
  EXPECT_EQ(text.string(), u"after\n");
}

TEST(HTMLAttributedStringImporterTest, TextThatIsNotUTF8IsRefused) {
  if (const auto error = testsupport::thrown<MarkdownErrors>([&] {
        Markdown("fine").toAttributedString(MarkdownOptions::default_,
                                            std::string("p { font-family: \xff }"));
      })) {
    EXPECT_EQ(error->code(), MarkdownErrors::htmlDataConversionError);
  }
}

}  // namespace
}  // namespace markdown

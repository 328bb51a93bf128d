#include "Markdown/AttributedStringVisitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Markdown/Document.h"
#include "Markdown/Markdown.h"
#include "Markdown/MarkdownStyler.h"
#include "Markdown/QuoteStripeAttribute.h"
#include "Markdown/StaticListItemPrefixGenerator.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/ParagraphStyleRef.h"

namespace markdown {
namespace {

using platform::AttributedString;

// A styler that styles nothing and writes down every call, with the piece it was given.
class RecordingStyler final : public Styler {
 public:
  std::vector<std::string> calls;
  std::vector<std::size_t> prefixLengths;
  std::vector<std::u16string> prefixes;

  void styleDocument(AttributedString&) override { calls.push_back("document"); }
  void styleBlockQuote(AttributedString&, int depth) override {
    calls.push_back("quote " + std::to_string(depth));
  }
  void styleList(AttributedString&, int depth) override { calls.push_back("list " + std::to_string(depth)); }
  void styleListItemPrefix(AttributedString& text) override { prefixes.push_back(text.string()); }
  void styleItem(AttributedString&, std::size_t prefixLength) override {
    calls.push_back("item");
    prefixLengths.push_back(prefixLength);
  }
  void styleCodeBlock(AttributedString&, const std::optional<std::string>& info) override {
    calls.push_back("codeBlock " + info.value_or("-"));
  }
  void styleHtmlBlock(AttributedString&) override { calls.push_back("htmlBlock"); }
  void styleCustomBlock(AttributedString&) override { calls.push_back("customBlock"); }
  void styleParagraph(AttributedString&) override { calls.push_back("paragraph"); }
  void styleHeading(AttributedString&, int level) override {
    calls.push_back("heading " + std::to_string(level));
  }
  void styleThematicBreak(AttributedString&) override { calls.push_back("thematicBreak"); }
  void styleText(AttributedString&) override { calls.push_back("text"); }
  void styleSoftBreak(AttributedString&) override { calls.push_back("softBreak"); }
  void styleLineBreak(AttributedString&) override { calls.push_back("lineBreak"); }
  void styleCode(AttributedString&) override { calls.push_back("code"); }
  void styleHtmlInline(AttributedString&) override { calls.push_back("htmlInline"); }
  void styleCustomInline(AttributedString&) override { calls.push_back("customInline"); }
  void styleEmphasis(AttributedString&) override { calls.push_back("emphasis"); }
  void styleStrong(AttributedString&) override { calls.push_back("strong"); }
  void styleLink(AttributedString&, const std::optional<std::string>& title,
                 const std::optional<std::string>& url) override {
    calls.push_back("link " + title.value_or("-") + " " + url.value_or("-"));
  }
  void styleImage(AttributedString&, const std::optional<std::string>&,
                  const std::optional<std::string>& url) override {
    calls.push_back("image " + url.value_or("-"));
  }
};

class AttributedStringVisitorTest : public ::testing::Test {
 protected:
  std::u16string render(const std::string& markdown, MarkdownOptions options = MarkdownOptions::default_) {
    return Markdown(markdown).toAttributedString(options, styler).string();
  }
  std::shared_ptr<RecordingStyler> styler = std::make_shared<RecordingStyler>();
};

TEST_F(AttributedStringVisitorTest, BlocksEndWithAParagraphSeparatorOnlyBeforeASibling) {
  EXPECT_EQ(render("A\n\nB"), u"A\u2029B");
  EXPECT_EQ(styler->calls, (std::vector<std::string>{"text", "paragraph", "text", "paragraph", "document"}));
}

TEST_F(AttributedStringVisitorTest, TightBulletListItemsGetABulletAndATab) {
  EXPECT_EQ(render("- A\n- B"), u"\u2022\tA\u2029\u2022\tB");
  EXPECT_EQ(styler->prefixLengths, (std::vector<std::size_t>{1, 1}));
  EXPECT_EQ(styler->prefixes, (std::vector<std::u16string>{u"\u2022\t", u"\u2022\t"}));
}

TEST_F(AttributedStringVisitorTest, NestedListsKeepTheOuterNumbering) {
  EXPECT_EQ(render("1. one\n   - in\n   - more\n2. two"),
            u"1.\tone\u2029\u2022\tin\u2029\u2022\tmore\u20292.\ttwo");
  EXPECT_EQ(styler->prefixLengths, (std::vector<std::size_t>{1, 1, 2, 2}));
  EXPECT_NE(std::find(styler->calls.begin(), styler->calls.end(), "list 1"), styler->calls.end());
}

TEST_F(AttributedStringVisitorTest, TheTenthItemHasAThreeUnitPrefix) {
  std::string markdown;
  for (int item = 1; item <= 10; ++item) {
    markdown += std::to_string(item) + ". x\n";
  }
  std::u16string text = render(markdown);
  EXPECT_EQ(styler->prefixLengths.back(), 3U);
  EXPECT_EQ(text.substr(text.size() - 5), u"10.\tx");
}

TEST_F(AttributedStringVisitorTest, SeparatorsPrefixesAndBreaks) {
  const struct {
    const char* markdown;
    MarkdownOptions options;
    std::u16string text;
  } cases[] = {
      {"3) a\n4) b\n5) c", MarkdownOptions::default_,
       u"3.\ta\u20294.\tb\u20295.\tc"},  // from the start, full stop
      {"a\nb", MarkdownOptions::default_, u"a b"},
      {"a\nb", MarkdownOptions::hardBreaks, u"a\u2028b"},
      {"a  \nb", MarkdownOptions::default_, u"a\u2028b"},
      {"```swift\na\n\nb\n```\n\nafter", MarkdownOptions::default_, u"a\u2028\u2028b\u2029after"},
      {"a\n\n---\n\nb", MarkdownOptions::default_, u"a\u2029\u200B\nb"},  // no separator after a rule
  };
  for (const auto& c : cases) EXPECT_EQ(render(c.markdown, c.options), c.text) << c.markdown;
  EXPECT_NE(std::find(styler->calls.begin(), styler->calls.end(), "codeBlock swift"), styler->calls.end());
}

TEST_F(AttributedStringVisitorTest, EmptyCodeBlocksContributeNothing) {
  EXPECT_EQ(render("```\n```\n\npara"), u"para");
  EXPECT_EQ(std::count(styler->calls.begin(), styler->calls.end(), "codeBlock -"), 0);
}

TEST_F(AttributedStringVisitorTest, AnEmptyDocumentIsStillStyledOnce) {
  EXPECT_EQ(render(""), u"");
  EXPECT_EQ(styler->calls, std::vector<std::string>{"document"});
}

TEST_F(AttributedStringVisitorTest, LinksAndImagesPassTitleAndAddress) {
  EXPECT_EQ(render("[here](https://a.example \"T\") ![alt](i.png)"), u"here alt");
  EXPECT_NE(std::find(styler->calls.begin(), styler->calls.end(), "link T https://a.example"),
            styler->calls.end());
  EXPECT_NE(std::find(styler->calls.begin(), styler->calls.end(), "image i.png"), styler->calls.end());
}

TEST_F(AttributedStringVisitorTest, QuotesAreStyledInnerFirstWithTheirDepth) {
  EXPECT_EQ(render("> outer\n>\n> > inner"), u"outer\u2029inner");
  std::vector<std::string> quotes;
  for (const auto& call : styler->calls) {
    if (call.rfind("quote", 0) == 0) {
      quotes.push_back(call);
    }
  }
  EXPECT_EQ(quotes, (std::vector<std::string>{"quote 1", "quote 0"}));
}

TEST_F(AttributedStringVisitorTest, TheGeneratorStackIsEmptyAfterADocument) {
  std::shared_ptr<Document> document = Markdown("- a\n  - b\n    1. c").toDocument(MarkdownOptions::default_);
  AttributedStringVisitor visitor(styler, MarkdownOptions::default_, defaultListPrefixGeneratorBuilder);
  document->accept(visitor);
  EXPECT_EQ(visitor.listDepth(), 0U);
}

TEST(StaticListItemPrefixGeneratorTest, RunsOutAfterTheLastItemAndStaysOut) {
  StaticListItemPrefixGenerator generator(List::ListType::ordered(-1), 3, 0);
  EXPECT_EQ(generator.next(), "-1.");
  EXPECT_EQ(generator.next(), "0.");
  EXPECT_EQ(generator.next(), "1.");
  EXPECT_EQ(generator.next(), std::nullopt);
  EXPECT_EQ(generator.next(), std::nullopt);
  StaticListItemPrefixGenerator bullets(List::ListType::bullet(), 1, 2);
  EXPECT_EQ(bullets.next(), "\u2022");
}

// With the standard styler: the edges that need both the visitor and the styler.
class StyledDocumentTest : public ::testing::Test {
 protected:
  AttributedString render(const std::string& markdown) {
    return Markdown(markdown).toAttributedString(MarkdownOptions::default_, styler);
  }
  std::shared_ptr<MarkdownStyler> styler =
      std::make_shared<MarkdownStyler>(MarkdownStylerConfiguration::standard());
};

TEST_F(StyledDocumentTest, FontsKeepTheirTraitsThroughNestedStyling) {
  AttributedString text = render("# Big *and **bold** words* with `code`");
  std::size_t bold = text.string().find(u"bold");
  std::size_t code = text.string().find(u"code");
  const auto* boldFont = text.attribute<platform::Font>(platform::AttributeName::font, bold);
  const auto* codeFont = text.attribute<platform::Font>(platform::AttributeName::font, code);
  ASSERT_TRUE(boldFont != nullptr && codeFont != nullptr);
  EXPECT_TRUE(boldFont->hasTrait(platform::fontTraitBold));
  EXPECT_TRUE(boldFont->hasTrait(platform::fontTraitItalic));
  EXPECT_EQ(boldFont->pointSize(), styler->fonts().heading1().pointSize());
  EXPECT_TRUE(codeFont->hasTrait(platform::fontTraitMonospace));
  EXPECT_EQ(codeFont->pointSize(), styler->fonts().heading1().pointSize());
}

TEST_F(StyledDocumentTest, NestedQuotesStackStripesAndIndents) {
  AttributedString text = render("> outer\n>\n> > inner");
  double stripe = 4 + 8;
  const auto* outer = text.attribute<QuoteStripeAttribute>(QuoteStripeAttribute::key, 0);
  const auto* inner = text.attribute<QuoteStripeAttribute>(QuoteStripeAttribute::key, text.length() - 1);
  ASSERT_TRUE(outer != nullptr && inner != nullptr);
  EXPECT_EQ(outer->locations, std::vector<double>{0});
  EXPECT_EQ(inner->locations, (std::vector<double>{0, stripe}));
  const auto* innerStyle =
      text.attribute<platform::ParagraphStyleRef>(platform::AttributeName::paragraphStyle, text.length() - 1);
  ASSERT_NE(innerStyle, nullptr);
  EXPECT_EQ(innerStyle->shared()->headIndent, 2 * stripe);
}

TEST_F(StyledDocumentTest, AQuoteInALaterItemParagraphMovesWithTheItem) {
  AttributedString text = render("- item\n\n  > quoted");
  const auto* stripes = text.attribute<QuoteStripeAttribute>(QuoteStripeAttribute::key, text.length() - 1);
  ASSERT_NE(stripes, nullptr);
  EXPECT_EQ(stripes->locations, std::vector<double>{styler->itemParagraphStyler().contentIndent()});
}

}  // namespace
}  // namespace markdown

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/MarkdownHTMLRenderer.h"
#include "Markdown/MarkdownXMLRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace markdown {
namespace {

using namespace std::string_literals;

MarkdownErrors::Code errorOf(const std::function<void()>& conversion) {
  try {
    conversion();
  } catch (const MarkdownErrors& error) {
    return error.code();
  }
  ADD_FAILURE() << "the conversion threw nothing";
  return MarkdownErrors::nonStandardBundleFormatError;
}

TEST(MarkdownHTMLTest, OptionsShapeTheHTML) {
  const MarkdownOptions hard = MarkdownOptions::hardBreaks, plain = MarkdownOptions::default_,
                        unsafe = MarkdownOptions::unsafe;
  const std::string withHTML = "<div>\nblock\n</div>\n\ntext <b>bold</b>";
  const std::string omitted =
      "<!-- raw HTML omitted -->\n<p>text <!-- raw HTML omitted -->bold<!-- raw HTML omitted --></p>\n";
  const std::string links = "[run](javascript:alert(1)) [site](https://example.com)";
  const struct {
    std::string markdown;
    MarkdownOptions options;
    std::string html;
  } cases[] = {
      {"", hard, ""},
      {"", plain, ""},
      {"first line\nsecond line", hard, "<p>first line<br />\nsecond line</p>\n"},
      {"first line\nsecond line", plain, "<p>first line\nsecond line</p>\n"},
      {withHTML, plain, omitted},
      {withHTML, hard, omitted},
      {withHTML, unsafe, "<div>\nblock\n</div>\n<p>text <b>bold</b></p>\n"},
      {links, hard, "<p><a href=\"\">run</a> <a href=\"https://example.com\">site</a></p>\n"},
      {links, unsafe,
       "<p><a href=\"javascript:alert(1)\">run</a> <a href=\"https://example.com\">site</a></p>\n"},
      // Text after a NUL is kept.
      {"before\0after\n\nlast paragraph"s, hard,
       "<p>before\xEF\xBF\xBD"
       "after</p>\n<p>last paragraph</p>\n"},
      {"a\nb", MarkdownOptions(16), "<p>a b</p>\n"},  // an unnamed bit reaches cmark
      {"hello", MarkdownOptions::sourcePos, "<p data-sourcepos=\"1:1-1:5\">hello</p>\n"},
      {"\"quoted\" -- dash...", MarkdownOptions::smart,
       "<p>\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x93 dash\xE2\x80\xA6</p>\n"},
      {"\"<i>x</i>\"", MarkdownOptions::smartUnsafe, "<p>\xE2\x80\x9C<i>x</i>\xE2\x80\x9D</p>\n"},
      {"ok \xFF\xFE bytes", MarkdownOptions::validateUTF8, "<p>ok \xEF\xBF\xBD\xEF\xBF\xBD bytes</p>\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Markdown(c.markdown).toHTML(c.options), c.html) << c.markdown << " / " << c.options.rawValue();
  EXPECT_EQ(errorOf([&] { Markdown("ok \xFF\xFE bytes").toHTML(hard); }), MarkdownErrors::markdownToASTError);
}

// The application's road adds nothing to cmark: the library's HTML is cmark's, byte for byte.
TEST(MarkdownHTMLTest, HTMLIsCmarksOwnForEveryOptionSet) {
  const std::string answer =
      "# Answer\n\nSome *prose* with **weight**, `code`, a [link](https://example.com \"t\")\n"
      "and a second line.  \nA hard break, <span>inline html</span> &amp; entities &copy;.\n\n"
      "1. one\n2. two\n   - nested\n\n> quote\n> more\n\n```python\nprint('hi')\n```\n\n"
      "<table><tr><td>raw</td></tr></table>\n\n| a | [b](javascript:x) |\n\n---\n\"quotes\" -- dashes...\n";
  for (const MarkdownOptions options :
       {MarkdownOptions::default_, MarkdownOptions::hardBreaks, MarkdownOptions::unsafe,
        MarkdownOptions::smart,
        MarkdownOptions{MarkdownOptions::sourcePos, MarkdownOptions::hardBreaks,
                        MarkdownOptions::smartUnsafe}}) {
    char* expected = cmark_markdown_to_html(answer.data(), answer.size(), options.rawValue());
    EXPECT_EQ(Markdown(answer).toHTML(options), expected) << "options " << options.rawValue();
    std::free(expected);
  }
}

TEST(MarkdownHTMLTest, CopiesAreIndependentAndChangedTextIsConvertedAnew) {
  const Markdown original("*one*");
  Markdown copy = original;
  EXPECT_EQ(copy.toHTML(), "<p><em>one</em></p>\n");
  copy.setMarkdownString("**two**");
  EXPECT_EQ(copy.markdownString(), "**two**");
  EXPECT_EQ(original.toHTML(), "<p><em>one</em></p>\n");
  EXPECT_EQ(copy.toHTML(), "<p><strong>two</strong></p>\n");
}

TEST(MarkdownConversionTest, XMLShowsTheParseTree) {
  const std::string xml = Markdown("# Hi").toXML(MarkdownOptions::default_);
  EXPECT_EQ(xml,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE document SYSTEM \"CommonMark.dtd\">\n"
            "<document xmlns=\"http://commonmark.org/xml/1.0\">\n"
            "  <heading level=\"1\">\n"
            "    <text xml:space=\"preserve\">Hi</text>\n"
            "  </heading>\n"
            "</document>\n");
  EXPECT_NE(Markdown("# Hi").toXML(MarkdownOptions::sourcePos).find("sourcepos=\"1:1-1:4\""),
            std::string::npos);
}

TEST(MarkdownConversionTest, LaTeXAndGroffRenderInlineStyles) {
  const Markdown text("# Title\n\n*hi* and `code`");
  EXPECT_EQ(text.toLaTeX(MarkdownOptions::default_, 0),
            "\\section{Title}\n\n\\emph{hi} and \\texttt{code}\n");
  EXPECT_EQ(text.toGroff(MarkdownOptions::default_, 0),
            ".SH\nTitle\n.PP\n\\f[I]hi\\f[] and \\f[C]code\\f[]\n");
}

TEST(MarkdownConversionTest, CommonMarkWrapsAtTheWidthUnlessHardBreaks) {
  const Markdown prose("The quick brown fox jumps over the lazy dog and keeps running far away\nnext");
  EXPECT_EQ(prose.toCommonMark(MarkdownOptions::default_, 40),
            "The quick brown fox jumps over the lazy\ndog and keeps running far away next\n");
  EXPECT_EQ(prose.toCommonMark(MarkdownOptions::hardBreaks, 40),
            "The quick brown fox jumps over the lazy dog and keeps running far away  \nnext\n");
  EXPECT_EQ(prose.toCommonMark(MarkdownOptions::default_, 0),
            "The quick brown fox jumps over the lazy dog and keeps running far away\nnext\n");
}

TEST(MarkdownConversionTest, InvalidUTF8IsRefusedByEveryConversionUnlessRepaired) {
  const Markdown broken("x \xC0\x80 more text");
  for (const auto& conversion : std::vector<std::function<void()>>{
           [&] { broken.toAST(); }, [&] { broken.toXML(); }, [&] { broken.toLaTeX(); },
           [&] { broken.toGroff(); }, [&] { broken.toCommonMark(); }})
    EXPECT_EQ(errorOf(conversion), MarkdownErrors::markdownToASTError);
  EXPECT_EQ(broken.toCommonMark(MarkdownOptions::validateUTF8), "x \xEF\xBF\xBD more text\n");
}

TEST(MarkdownConversionTest, RenderedTextThatIsNotUTF8IsARenderingError) {
  // A tree can hold bytes that did not come through the parser.
  const CmarkTree tree = Markdown("placeholder").toAST();
  cmark_node* text = cmark_node_first_child(cmark_node_first_child(tree.get()));
  ASSERT_EQ(cmark_node_set_literal(text, "bad \xFF"), 1);
  EXPECT_EQ(errorOf([&] { MarkdownHTMLRenderer::astToHTML(tree.get(), MarkdownOptions::default_); }),
            MarkdownErrors::astRenderingError);
  EXPECT_EQ(errorOf([&] { MarkdownXMLRenderer::astToXML(tree.get(), MarkdownOptions::default_); }),
            MarkdownErrors::astRenderingError);
}

TEST(MarkdownConversionTest, TheTreeOfToASTBelongsToTheCaller) {
  const CmarkTree tree = Markdown("para *em*").toAST(MarkdownOptions::default_);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(cmark_node_get_type(tree.get()), CMARK_NODE_DOCUMENT);
  EXPECT_EQ(MarkdownHTMLRenderer::astToHTML(tree.get(), MarkdownOptions::default_),
            "<p>para <em>em</em></p>\n");
  // The tree survives rendering and can be rendered again.
  EXPECT_NE(MarkdownXMLRenderer::astToXML(tree.get(), MarkdownOptions::default_).find("<emph>"),
            std::string::npos);
}

// Any type that provides its text gets the conversions.
class ChatAnswer final : public MarkdownHTMLRenderable, public MarkdownCommonMarkRenderable {
 public:
  explicit ChatAnswer(std::vector<std::string> lines) : lines_(std::move(lines)) { join(); }

  std::string_view markdownString() const override { return text_; }
  void setMarkdownString(std::string markdownString) override {
    lines_.clear();
    std::istringstream stream(markdownString);
    for (std::string line; std::getline(stream, line);) {
      lines_.push_back(line);
    }
    join();
  }

 private:
  void join() {
    text_.clear();
    for (const std::string& line : lines_) {
      text_ += line + "\n";
    }
  }

  std::vector<std::string> lines_;
  std::string text_;
};

TEST(MarkdownConversionTest, AnyTextProviderGetsTheConversions) {
  ChatAnswer answer({"- one", "- two"});
  EXPECT_EQ(answer.toHTML(MarkdownOptions::hardBreaks), "<ul>\n<li>one</li>\n<li>two</li>\n</ul>\n");
  answer.setMarkdownString("1.  first\n2.  second");
  EXPECT_EQ(answer.toCommonMark(MarkdownOptions::default_, 0), "1.  first\n2.  second\n");
}

}  // namespace
}  // namespace markdown

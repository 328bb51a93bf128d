#include "Markdown/MarkdownTextView.h"

#include <gtest/gtest.h>

#include "Markdown/BlockBackgroundColorAttribute.h"
#include "Markdown/MarkdownDebugLayoutManager.h"
#include "Markdown/MarkdownDebugTextView.h"
#include "Markdown/MarkdownLayoutManager.h"
#include "Markdown/MarkdownStyler.h"
#include "Markdown/StaticColorCollection.h"
#include "Markdown/StaticFontCollection.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/RecordingGraphicsContext.h"

namespace markdown {
namespace {

// The standard styler, counting the documents it styles.
class CountingStyler final : public MarkdownStyler {
 public:
  explicit CountingStyler(const MarkdownStylerConfiguration& configuration) : MarkdownStyler(configuration) {}
  void styleDocument(platform::AttributedString& text) override {
    ++documents;
    MarkdownStyler::styleDocument(text);
  }
  int documents = 0;
};

std::shared_ptr<CountingStyler> makeStyler(double headingSize = 24) {
  MarkdownStylerConfiguration configuration = MarkdownStylerConfiguration::standard();
  auto fonts = std::make_shared<StaticFontCollection>(StaticFontCollection::standard());
  fonts->setHeading1(platform::Font::boldSystem(headingSize));
  configuration.fonts = fonts;
  return std::make_shared<CountingStyler>(configuration);
}

platform::Font fontAt(const platform::TextView& view, std::size_t position) {
  const auto* font = view.textStorage()->attributedString().attribute<platform::Font>(
      platform::AttributeName::font, position);
  if (font == nullptr) {
    throw std::runtime_error("no font");
  }
  return *font;
}

TEST(MarkdownTextViewTest, RendersEachNewMarkdownOnceAndTypingRendersNothing) {
  auto styler = makeStyler();
  MarkdownTextView view({0, 0, 300, 200}, styler);
  EXPECT_EQ(view.string(), u"");
  EXPECT_EQ(styler->documents, 0);
  view.setString(u"# Title");
  EXPECT_EQ(view.string(), u"Title");
  EXPECT_EQ(view.markdownString(), u"# Title");
  EXPECT_EQ(fontAt(view, 0), platform::Font::boldSystem(24));
  view.setString(u"# Title");
  EXPECT_EQ(styler->documents, 1);
  view.setString(u"**bold**");
  EXPECT_EQ(styler->documents, 2);
  view.textStorage()->replaceCharacters({4, 0}, platform::AttributedString(u"!"));
  EXPECT_EQ(view.string(), u"bold!");
  EXPECT_EQ(view.markdownString(), u"**bold**");
  EXPECT_EQ(styler->documents, 2);
}

TEST(MarkdownTextViewTest, ANewStylerRestylesTheMarkdownNotTheRenderedText) {
  MarkdownTextView view({0, 0, 300, 200}, makeStyler(24));
  view.setString(u"# \\*kept\\* and 1\\. kept");
  EXPECT_EQ(view.string(), u"*kept* and 1. kept");
  auto larger = makeStyler(30);
  view.setStyler(larger);
  EXPECT_EQ(larger->documents, 1);
  EXPECT_EQ(view.string(), u"*kept* and 1. kept");
  EXPECT_EQ(fontAt(view, 0), platform::Font::boldSystem(30));
}

TEST(MarkdownTextViewTest, ViewsDrawThroughTheirMarkdownLayoutManagers) {
  MarkdownTextView plain({0, 0, 300, 200}, makeStyler());
  MarkdownDebugTextView debug({0, 0, 300, 200}, makeStyler());
  EXPECT_NE(dynamic_cast<MarkdownLayoutManager*>(plain.layoutManager()), nullptr);
  EXPECT_EQ(dynamic_cast<MarkdownDebugLayoutManager*>(plain.layoutManager()), nullptr);
  EXPECT_NE(dynamic_cast<MarkdownDebugLayoutManager*>(debug.layoutManager()), nullptr);
  EXPECT_TRUE(plain.linkTextAttributes().empty());

  debug.setString(u"text\n\n```\ncode\n```");
  platform::RecordingGraphicsContext context;
  debug.draw(context);
  using Kind = platform::RecordingGraphicsContext::Operation::Kind;
  auto fills = context.operations(Kind::fillRect);
  ASSERT_EQ(fills.size(), 1U);
  EXPECT_EQ(fills[0].color, StaticColorCollection::standard().codeBlockBackground());
  EXPECT_EQ(context.operations(Kind::strokeRect).size(), 2 * debug.layoutManager()->lineFragments().size());
}

}  // namespace
}  // namespace markdown

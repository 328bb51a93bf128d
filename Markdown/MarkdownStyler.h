#pragma once

#include <memory>
#include <tuple>

#include "Markdown/CodeBlockOptions.h"
#include "Markdown/ColorCollection.h"
#include "Markdown/FontCollection.h"
#include "Markdown/ListItemParagraphStyler.h"
#include "Markdown/MarkdownStylerConfiguration.h"
#include "Markdown/ParagraphStyleCollection.h"
#include "Markdown/QuoteStripeOptions.h"
#include "Markdown/Styler.h"
#include "Markdown/ThematicBreakOptions.h"

namespace markdown {

// The standard styler: fonts, colours and paragraph styles from a configuration, plus the
// custom attributes that MarkdownLayoutManager draws (code-block backgrounds, quote stripes,
// thematic breaks). Container operations keep what inner nodes set: fonts keep their monospace,
// italic and bold traits, indents and stripes shift, and paragraph styles and stripes are only
// filled in where none exist yet. Holds no changing state: one styler may style any number of
// documents, on one thread at a time. Open to subclassing.
class MarkdownStyler : public Styler {
 public:
  explicit MarkdownStyler(const MarkdownStylerConfiguration& configuration);

  // The font and colour of list markers.
  virtual platform::Attributes listPrefixAttributes() const;

  void styleDocument(platform::AttributedString& text) override;
  void styleBlockQuote(platform::AttributedString& text, int nestDepth) override;
  void styleList(platform::AttributedString& text, int nestDepth) override;
  void styleListItemPrefix(platform::AttributedString& text) override;
  void styleItem(platform::AttributedString& text, std::size_t prefixLength) override;
  void styleCodeBlock(platform::AttributedString& text, const std::optional<std::string>& fenceInfo) override;
  void styleHtmlBlock(platform::AttributedString& text) override;
  void styleCustomBlock(platform::AttributedString& text) override;
  void styleParagraph(platform::AttributedString& text) override;
  void styleHeading(platform::AttributedString& text, int level) override;
  void styleThematicBreak(platform::AttributedString& text) override;
  void styleText(platform::AttributedString& text) override;
  void styleSoftBreak(platform::AttributedString& text) override;
  void styleLineBreak(platform::AttributedString& text) override;
  void styleCode(platform::AttributedString& text) override;
  void styleHtmlInline(platform::AttributedString& text) override;
  void styleCustomInline(platform::AttributedString& text) override;
  void styleEmphasis(platform::AttributedString& text) override;
  void styleStrong(platform::AttributedString& text) override;
  void styleLink(platform::AttributedString& text, const std::optional<std::string>& title,
                 const std::optional<std::string>& url) override;
  void styleImage(platform::AttributedString& text, const std::optional<std::string>& title,
                  const std::optional<std::string>& url) override;

  const FontCollection& fonts() const { return *fonts_; }
  const ColorCollection& colors() const { return *colors_; }
  const ParagraphStyleCollection& paragraphStyles() const { return *paragraphStyles_; }
  const ListItemParagraphStyler& itemParagraphStyler() const { return itemParagraphStyler_; }

 protected:
  virtual void applyCodeBlockStyle(platform::AttributedString& text);
  virtual void applyInlineCodeStyle(platform::AttributedString& text);
  virtual void applyLinkStyle(platform::AttributedString& text, const std::string& url);
  // Font, colour and paragraph style of a heading; levels other than 2 to 6 take level 1's.
  virtual std::tuple<platform::Font, platform::Color, std::shared_ptr<platform::ParagraphStyle>>
  headingAttributes(int level) const;
  virtual void styleFirstItemParagraph(platform::AttributedString& text, std::size_t prefixLength,
                                       platform::TextRange range);

 private:
  std::shared_ptr<const FontCollection> fonts_;
  std::shared_ptr<const ColorCollection> colors_;
  std::shared_ptr<const ParagraphStyleCollection> paragraphStyles_;
  QuoteStripeOptions quoteStripeOptions_;
  ThematicBreakOptions thematicBreakOptions_;
  CodeBlockOptions codeBlockOptions_;
  ListItemParagraphStyler itemParagraphStyler_;
};

}  // namespace markdown

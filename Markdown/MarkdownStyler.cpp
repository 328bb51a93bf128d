#include "Markdown/MarkdownStyler.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "Markdown/BlockBackgroundColorAttribute.h"
#include "Markdown/QuoteStripeAttribute.h"
#include "Markdown/ThematicBreakAttribute.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/TextMeasurement.h"

namespace markdown {

using platform::AttributedString;
using platform::Font;
using platform::ParagraphStyle;
using platform::ParagraphStyleRef;
using platform::TextRange;
using platform::AttributeName::font;
using platform::AttributeName::foregroundColor;
using platform::AttributeName::paragraphStyle;

namespace {

TextRange whole(const AttributedString& text) { return {0, text.length()}; }

template <class T>
std::vector<std::pair<T, TextRange>> runsOfType(const AttributedString& text, const std::string& key,
                                                TextRange range) {
  std::vector<std::pair<T, TextRange>> runs;
  for (const platform::AttributeRun& run : text.runsOf(key, range)) {
    if (run.value && run.value->holds<T>()) {
      runs.emplace_back(*run.value->get<T>(), run.range);
    }
  }
  return runs;
}

std::vector<TextRange> gapsOf(const AttributedString& text, const std::string& key, TextRange range) {
  std::vector<TextRange> gaps;
  for (const platform::AttributeRun& run : text.runsOf(key, range)) {
    if (!run.value) {
      gaps.push_back(run.range);
    }
  }
  return gaps;
}

ParagraphStyleRef indentedParagraphStyle(const ParagraphStyleRef& style, double by) {
  auto indented = style->copy();
  indented->firstLineHeadIndent += by;
  indented->headIndent += by;
  for (platform::TextTab& tab : indented->tabStops) {
    tab.location += by;
  }
  return ParagraphStyleRef(indented);
}

ParagraphStyleRef insetParagraphStyle(const ParagraphStyle& style, double inset) {
  auto insetStyle = style.copy();
  insetStyle->paragraphSpacingBefore += inset;
  insetStyle->paragraphSpacing += inset;
  insetStyle->firstLineHeadIndent += inset;
  insetStyle->headIndent += inset;
  insetStyle->tailIndent = -inset;
  return ParagraphStyleRef(insetStyle);
}

Font withTrait(const Font& base, platform::FontTrait trait) {
  return base.withSymbolicTraits(base.symbolicTraits() | trait);
}

void indentParagraphStyles(AttributedString& text, TextRange range, double by) {
  for (const auto& [style, run] : runsOfType<ParagraphStyleRef>(text, paragraphStyle, range)) {
    text.addAttribute(paragraphStyle, indentedParagraphStyle(style, by), run);
  }
}

void setFontPreservingTraits(AttributedString& text, const Font& newFont, TextRange range) {
  for (const auto& [old, run] : runsOfType<Font>(text, font, range)) {
    Font result = newFont;
    for (platform::FontTrait trait :
         {platform::fontTraitMonospace, platform::fontTraitItalic, platform::fontTraitBold}) {
      if (old.hasTrait(trait) && !result.hasTrait(trait)) {
        result = withTrait(result, trait);
      }
    }
    text.addAttribute(font, result, run);
  }
}

void addTraitToEveryFont(AttributedString& text, platform::FontTrait trait) {
  for (const auto& [old, run] : runsOfType<Font>(text, font, whole(text))) {
    text.addAttribute(font, old.hasTrait(trait) ? old : withTrait(old, trait), run);
  }
}

// The item's paragraphs, each with its terminator; paragraphs shorter than two units (an empty
// line) are left out.
std::vector<TextRange> paragraphRanges(const AttributedString& text) {
  std::vector<TextRange> ranges;
  std::size_t location = 0;
  while (location < text.length()) {
    TextRange paragraph = text.paragraphRange({location, 1});
    if (paragraph.length >= 2) {
      ranges.push_back(paragraph);
    }
    location = paragraph.end();
  }
  return ranges;
}

}  // namespace

MarkdownStyler::MarkdownStyler(const MarkdownStylerConfiguration& configuration)
    : fonts_(configuration.fonts ? configuration.fonts->clone() : nullptr),
      colors_(configuration.colors ? configuration.colors->clone() : nullptr),
      paragraphStyles_(configuration.paragraphStyles ? configuration.paragraphStyles->clone() : nullptr),
      quoteStripeOptions_(configuration.quoteStripeOptions),
      thematicBreakOptions_(configuration.thematicBreakOptions),
      codeBlockOptions_(configuration.codeBlockOptions),
      itemParagraphStyler_(configuration.listItemOptions,
                           configuration.fonts ? configuration.fonts->listItemPrefix() : Font::system(12)) {
  if (!fonts_ || !colors_ || !paragraphStyles_) {
    throw std::invalid_argument(
        "MarkdownStyler: the configuration lacks a font, colour or paragraph-style collection");
  }
}

platform::Attributes MarkdownStyler::listPrefixAttributes() const {
  return {{font, fonts_->listItemPrefix()}, {foregroundColor, colors_->listItemPrefix()}};
}

void MarkdownStyler::styleDocument(AttributedString&) {}
void MarkdownStyler::styleList(AttributedString&, int) {}
void MarkdownStyler::styleCustomBlock(AttributedString&) {}
void MarkdownStyler::styleSoftBreak(AttributedString&) {}
void MarkdownStyler::styleLineBreak(AttributedString&) {}
void MarkdownStyler::styleCustomInline(AttributedString&) {}

void MarkdownStyler::styleText(AttributedString& text) {
  text.setAttributes({{font, fonts_->body()}, {foregroundColor, colors_->body()}}, whole(text));
}

void MarkdownStyler::styleCode(AttributedString& text) { applyInlineCodeStyle(text); }
void MarkdownStyler::styleHtmlInline(AttributedString& text) { applyInlineCodeStyle(text); }

void MarkdownStyler::applyInlineCodeStyle(AttributedString& text) {
  text.setAttributes({{font, fonts_->code()}, {foregroundColor, colors_->code()}}, whole(text));
}

void MarkdownStyler::styleEmphasis(AttributedString& text) {
  addTraitToEveryFont(text, platform::fontTraitItalic);
}
void MarkdownStyler::styleStrong(AttributedString& text) {
  addTraitToEveryFont(text, platform::fontTraitBold);
}

void MarkdownStyler::styleLink(AttributedString& text, const std::optional<std::string>&,
                               const std::optional<std::string>& url) {
  if (url) {
    applyLinkStyle(text, *url);
  }
}

void MarkdownStyler::styleImage(AttributedString& text, const std::optional<std::string>&,
                                const std::optional<std::string>& url) {
  if (url) {
    applyLinkStyle(text, *url);
  }
}

void MarkdownStyler::applyLinkStyle(AttributedString& text, const std::string& url) {
  text.addAttributes({{platform::AttributeName::link, url}, {foregroundColor, colors_->link()}}, whole(text));
}

void MarkdownStyler::styleParagraph(AttributedString& text) {
  text.addAttribute(paragraphStyle, ParagraphStyleRef(paragraphStyles_->body()), whole(text));
}

std::tuple<Font, platform::Color, std::shared_ptr<ParagraphStyle>> MarkdownStyler::headingAttributes(
    int level) const {
  switch (level) {
    case 2:
      return {fonts_->heading2(), colors_->heading2(), paragraphStyles_->heading2()};
    case 3:
      return {fonts_->heading3(), colors_->heading3(), paragraphStyles_->heading3()};
    case 4:
      return {fonts_->heading4(), colors_->heading4(), paragraphStyles_->heading4()};
    case 5:
      return {fonts_->heading5(), colors_->heading5(), paragraphStyles_->heading5()};
    case 6:
      return {fonts_->heading6(), colors_->heading6(), paragraphStyles_->heading6()};
    default:
      return {fonts_->heading1(), colors_->heading1(), paragraphStyles_->heading1()};
  }
}

void MarkdownStyler::styleHeading(AttributedString& text, int level) {
  auto [headingFont, color, style] = headingAttributes(level);
  setFontPreservingTraits(text, headingFont, whole(text));
  text.addAttributes({{foregroundColor, color}, {paragraphStyle, ParagraphStyleRef(style)}}, whole(text));
}

void MarkdownStyler::styleCodeBlock(AttributedString& text, const std::optional<std::string>&) {
  applyCodeBlockStyle(text);
}

void MarkdownStyler::styleHtmlBlock(AttributedString& text) { applyCodeBlockStyle(text); }

void MarkdownStyler::applyCodeBlockStyle(AttributedString& text) {
  double inset = codeBlockOptions_.containerInset;
  text.setAttributes({{font, fonts_->code()},
                      {foregroundColor, colors_->code()},
                      {paragraphStyle, insetParagraphStyle(*paragraphStyles_->code(), inset)},
                      {BlockBackgroundColorAttribute::key,
                       BlockBackgroundColorAttribute{colors_->codeBlockBackground(), inset}}},
                     whole(text));
}

void MarkdownStyler::styleThematicBreak(AttributedString& text) {
  text.addAttribute(ThematicBreakAttribute::key,
                    ThematicBreakAttribute{thematicBreakOptions_.thickness, colors_->thematicBreak()},
                    whole(text));
  auto style = std::make_shared<ParagraphStyle>();
  style->firstLineHeadIndent = thematicBreakOptions_.indentation;
  text.addAttribute(paragraphStyle, ParagraphStyleRef(style), whole(text));
}

void MarkdownStyler::styleListItemPrefix(AttributedString& text) {
  text.setAttributes(listPrefixAttributes(), whole(text));
}

void MarkdownStyler::styleBlockQuote(AttributedString& text, int nestDepth) {
  double stripeWidth = quoteStripeOptions_.thickness + quoteStripeOptions_.spacingAfter;
  std::vector<double> locations;
  for (int stripe = 0; stripe <= nestDepth; ++stripe) {
    locations.push_back(stripe * stripeWidth);
  }
  indentParagraphStyles(text, whole(text), stripeWidth);
  QuoteStripeAttribute stripes{colors_->quoteStripe(), quoteStripeOptions_.thickness,
                               quoteStripeOptions_.spacingAfter, locations};
  for (TextRange gap : gapsOf(text, QuoteStripeAttribute::key, whole(text))) {
    text.addAttribute(QuoteStripeAttribute::key, stripes, gap);
  }
  text.addAttribute(foregroundColor, colors_->quote(), whole(text));
}

void MarkdownStyler::styleItem(AttributedString& text, std::size_t prefixLength) {
  std::vector<TextRange> paragraphs = paragraphRanges(text);
  if (paragraphs.empty()) {
    return;
  }
  styleFirstItemParagraph(text, prefixLength, paragraphs.front());
  double contentIndent = itemParagraphStyler_.contentIndent();
  for (auto paragraph = paragraphs.begin() + 1; paragraph != paragraphs.end(); ++paragraph) {
    indentParagraphStyles(text, *paragraph, contentIndent);
    ParagraphStyleRef following(itemParagraphStyler_.followingParagraphStyle());
    for (TextRange gap : gapsOf(text, paragraphStyle, *paragraph)) {
      text.addAttribute(paragraphStyle, following, gap);
    }
    for (const auto& [stripes, run] :
         runsOfType<QuoteStripeAttribute>(text, QuoteStripeAttribute::key, *paragraph)) {
      QuoteStripeAttribute shifted = stripes;
      for (double& location : shifted.locations) {
        location += contentIndent;
      }
      text.addAttribute(QuoteStripeAttribute::key, shifted, run);
    }
  }
}

void MarkdownStyler::styleFirstItemParagraph(AttributedString& text, std::size_t prefixLength,
                                             TextRange range) {
  indentParagraphStyles(text, range, itemParagraphStyler_.contentIndent());
  double prefixWidth = 0;
  if (prefixLength >= 1) {
    prefixWidth = platform::measuredSize(text.substring({0, std::min(prefixLength, text.length())})).width;
  }
  ParagraphStyleRef first(itemParagraphStyler_.firstParagraphStyle(prefixWidth));
  for (TextRange gap : gapsOf(text, paragraphStyle, range)) {
    text.addAttribute(paragraphStyle, first, gap);
  }
}

}  // namespace markdown

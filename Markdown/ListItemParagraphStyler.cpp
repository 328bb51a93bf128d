#include "Markdown/ListItemParagraphStyler.h"

#include <algorithm>
#include <string>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/TextMeasurement.h"

namespace markdown {

namespace {

double widthOf(const std::u16string& text, const platform::Font& font) {
  return platform::measuredSize(platform::AttributedString(text, {{platform::AttributeName::font, font}}))
      .width;
}

double widestDigit(const platform::Font& font) {
  double widest = 0;
  for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
    widest = std::max(widest, widthOf(std::u16string(1, digit), font));
  }
  return widest;
}

}  // namespace

ListItemParagraphStyler::ListItemParagraphStyler(ListItemOptions options, const platform::Font& prefixFont)
    : options_(options),
      largestPrefixWidth_(options.maxPrefixDigits * widestDigit(prefixFont) + widthOf(u".", prefixFont)) {}

std::shared_ptr<platform::ParagraphStyle> ListItemParagraphStyler::followingParagraphStyle() const {
  auto style = std::make_shared<platform::ParagraphStyle>();
  style->paragraphSpacingBefore = options_.spacingAbove;
  style->paragraphSpacing = options_.spacingBelow;
  style->alignment = options_.alignment;
  style->firstLineHeadIndent = contentIndent();
  style->headIndent = contentIndent();
  return style;
}

std::shared_ptr<platform::ParagraphStyle> ListItemParagraphStyler::firstParagraphStyle(
    double prefixWidth) const {
  auto style = std::make_shared<platform::ParagraphStyle>();
  style->paragraphSpacingBefore = options_.spacingAbove;
  style->paragraphSpacing = options_.spacingBelow;
  style->alignment = options_.alignment;
  style->firstLineHeadIndent = contentIndent() - options_.spacingAfterPrefix - prefixWidth;
  style->tabStops = {
      {options_.alignment, contentIndent() + std::max(0.0, prefixWidth - largestPrefixWidth_)}};
  style->headIndent = contentIndent();
  return style;
}

}  // namespace markdown

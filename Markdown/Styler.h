#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "Platform/Text/AttributedString.h"

namespace markdown {

// Styles the text of one Markdown node in place. The attributed-string visitor builds the text
// bottom-up and calls one operation per node, after its children are styled, so an operation on
// a container adds to what the inner nodes set. Lengths are UTF-16 units.
class Styler {
 public:
  virtual ~Styler() = default;

  virtual void styleDocument(platform::AttributedString& text) = 0;
  virtual void styleBlockQuote(platform::AttributedString& text, int nestDepth) = 0;
  virtual void styleList(platform::AttributedString& text, int nestDepth) = 0;
  // `text` is the item's marker followed by one tab, before it is put in front of the item.
  virtual void styleListItemPrefix(platform::AttributedString& text) = 0;
  // `prefixLength`: the length of the marker at the start of `text`, without its tab.
  virtual void styleItem(platform::AttributedString& text, std::size_t prefixLength) = 0;
  virtual void styleCodeBlock(platform::AttributedString& text,
                              const std::optional<std::string>& fenceInfo) = 0;
  virtual void styleHtmlBlock(platform::AttributedString& text) = 0;
  virtual void styleCustomBlock(platform::AttributedString& text) = 0;
  virtual void styleParagraph(platform::AttributedString& text) = 0;
  virtual void styleHeading(platform::AttributedString& text, int level) = 0;
  virtual void styleThematicBreak(platform::AttributedString& text) = 0;
  virtual void styleText(platform::AttributedString& text) = 0;
  virtual void styleSoftBreak(platform::AttributedString& text) = 0;
  virtual void styleLineBreak(platform::AttributedString& text) = 0;
  virtual void styleCode(platform::AttributedString& text) = 0;
  virtual void styleHtmlInline(platform::AttributedString& text) = 0;
  virtual void styleCustomInline(platform::AttributedString& text) = 0;
  virtual void styleEmphasis(platform::AttributedString& text) = 0;
  virtual void styleStrong(platform::AttributedString& text) = 0;
  virtual void styleLink(platform::AttributedString& text, const std::optional<std::string>& title,
                         const std::optional<std::string>& url) = 0;
  virtual void styleImage(platform::AttributedString& text, const std::optional<std::string>& title,
                          const std::optional<std::string>& url) = 0;
};

}  // namespace markdown

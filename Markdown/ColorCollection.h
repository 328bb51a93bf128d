#pragma once

#include <memory>

#include "Platform/Text/Color.h"

namespace markdown {

// The colours a styler uses: headings by level, body text, code, links, quotes with their stripes, thematic
// breaks, list markers, and the background of code blocks.
class ColorCollection {
 public:
  virtual ~ColorCollection() = default;
  virtual platform::Color heading1() const = 0;
  virtual platform::Color heading2() const = 0;
  virtual platform::Color heading3() const = 0;
  virtual platform::Color heading4() const = 0;
  virtual platform::Color heading5() const = 0;
  virtual platform::Color heading6() const = 0;
  virtual platform::Color body() const = 0;
  virtual platform::Color code() const = 0;
  virtual platform::Color link() const = 0;
  virtual platform::Color quote() const = 0;
  virtual platform::Color quoteStripe() const = 0;
  virtual platform::Color thematicBreak() const = 0;
  virtual platform::Color listItemPrefix() const = 0;
  virtual platform::Color codeBlockBackground() const = 0;
  // An independent copy, so that a styler keeps what it was made with.
  virtual std::unique_ptr<ColorCollection> clone() const = 0;
};

}  // namespace markdown

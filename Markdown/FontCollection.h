#pragma once

#include <memory>

#include "Platform/Text/Font.h"

namespace markdown {

// The fonts a styler uses: headings by level, body text, code and list markers.
class FontCollection {
 public:
  virtual ~FontCollection() = default;
  virtual platform::Font heading1() const = 0;
  virtual platform::Font heading2() const = 0;
  virtual platform::Font heading3() const = 0;
  virtual platform::Font heading4() const = 0;
  virtual platform::Font heading5() const = 0;
  virtual platform::Font heading6() const = 0;
  virtual platform::Font body() const = 0;
  virtual platform::Font code() const = 0;
  virtual platform::Font listItemPrefix() const = 0;
  // An independent copy, so that a styler keeps what it was made with.
  virtual std::unique_ptr<FontCollection> clone() const = 0;
};

}  // namespace markdown

#pragma once

#include <memory>

#include "Platform/Text/ParagraphStyle.h"

namespace markdown {

// The paragraph styles a styler uses: headings by level, body text and code blocks. Styles are shared
// objects: changing one changes it wherever it is used.
class ParagraphStyleCollection {
 public:
  virtual ~ParagraphStyleCollection() = default;
  virtual std::shared_ptr<platform::ParagraphStyle> heading1() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> heading2() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> heading3() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> heading4() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> heading5() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> heading6() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> body() const = 0;
  virtual std::shared_ptr<platform::ParagraphStyle> code() const = 0;
  // An independent copy, so that a styler keeps what it was made with.
  virtual std::unique_ptr<ParagraphStyleCollection> clone() const = 0;
};

}  // namespace markdown

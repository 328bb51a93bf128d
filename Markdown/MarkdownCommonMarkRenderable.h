#pragma once

#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <string>

namespace markdown {

class MarkdownCommonMarkRenderable : public virtual MarkdownRenderable {
 public:
  // The text as normalised CommonMark, wrapped at `width` columns (0: not wrapped;
  // hardBreaks turns wrapping off).
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  std::string toCommonMark(MarkdownOptions options = MarkdownOptions::default_, int width = 0) const;
};

}  // namespace markdown

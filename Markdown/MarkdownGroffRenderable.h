#pragma once

#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <string>

namespace markdown {

class MarkdownGroffRenderable : public virtual MarkdownRenderable {
 public:
  // The text as a groff man page, wrapped at `width` columns (0: not wrapped).
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  std::string toGroff(MarkdownOptions options = MarkdownOptions::default_, int width = 0) const;
};

}  // namespace markdown

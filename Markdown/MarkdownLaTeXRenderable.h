#pragma once

#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <string>

namespace markdown {

class MarkdownLaTeXRenderable : public virtual MarkdownRenderable {
 public:
  // The text as LaTeX, wrapped at `width` columns (0: not wrapped).
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  std::string toLaTeX(MarkdownOptions options = MarkdownOptions::default_, int width = 0) const;
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownOptions.h"

#include <cmark.h>

#include <string>

namespace markdown {

struct MarkdownLaTeXRenderer {
  // Renders the tree as LaTeX, wrapped at `width` columns (0: not wrapped). The tree stays the caller's.
  // Throws MarkdownErrors::astRenderingError when cmark gives no text or text that is not UTF-8.
  static std::string astToLaTeX(cmark_node* tree, MarkdownOptions options, int width);
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownOptions.h"

#include <cmark.h>

#include <string>

namespace markdown {

struct MarkdownCommonMarkRenderer {
  // Renders the tree as normalised CommonMark, wrapped at `width` columns (0: not wrapped;
  // cmark ignores the width when the options hold hardBreaks). The tree stays the caller's.
  // Throws MarkdownErrors::astRenderingError when cmark gives no text or text that is not UTF-8.
  static std::string astToCommonMark(cmark_node* tree, MarkdownOptions options, int width);
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownOptions.h"

#include <cmark.h>

#include <string>

namespace markdown {

struct MarkdownGroffRenderer {
  // Renders the tree as a groff man page, wrapped at `width` columns (0: not wrapped).
  // The tree stays the caller's.
  // Throws MarkdownErrors::astRenderingError when cmark gives no text or text that is not UTF-8.
  static std::string astToGroff(cmark_node* tree, MarkdownOptions options, int width);
};

}  // namespace markdown

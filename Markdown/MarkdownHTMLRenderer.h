#pragma once

#include "Markdown/MarkdownOptions.h"

#include <cmark.h>

#include <string>

namespace markdown {

struct MarkdownHTMLRenderer {
  // Renders the tree as HTML. The tree stays the caller's.
  // Throws MarkdownErrors::astRenderingError when cmark gives no text or text that is not UTF-8.
  static std::string astToHTML(cmark_node* tree, MarkdownOptions options);
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownOptions.h"

#include <cmark.h>

#include <string>

namespace markdown {

struct MarkdownXMLRenderer {
  // Renders the tree as CommonMark XML. The tree stays the caller's.
  // Throws MarkdownErrors::astRenderingError when cmark gives no text or text that is not UTF-8.
  static std::string astToXML(cmark_node* tree, MarkdownOptions options);
};

}  // namespace markdown

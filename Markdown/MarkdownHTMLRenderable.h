#pragma once

#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <string>

namespace markdown {

class MarkdownHTMLRenderable : public virtual MarkdownRenderable {
 public:
  // The text as HTML. With MarkdownOptions::hardBreaks every soft break becomes "<br />";
  // without MarkdownOptions::unsafe raw HTML becomes "<!-- raw HTML omitted -->".
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  std::string toHTML(MarkdownOptions options = MarkdownOptions::default_) const;
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <string>

namespace markdown {

class MarkdownXMLRenderable : public virtual MarkdownRenderable {
 public:
  // The text's parse tree as CommonMark XML.
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  std::string toXML(MarkdownOptions options = MarkdownOptions::default_) const;
};

}  // namespace markdown

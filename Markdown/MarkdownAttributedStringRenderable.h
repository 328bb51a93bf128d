#pragma once

#include <memory>

#include "Markdown/MarkdownASTRenderable.h"
#include "Markdown/MarkdownHTMLRenderable.h"
#include "Markdown/Styler.h"
#include "Platform/AttributedString.h"

namespace markdown {

class MarkdownAttributedStringRenderable : public virtual MarkdownHTMLRenderable, public virtual MarkdownASTRenderable {
 public:
  // The text styled by `styler`, through the node tree and AttributedStringVisitor (no HTML).
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  platform::AttributedString toAttributedString(MarkdownOptions options, const std::shared_ptr<Styler>& styler) const;
};

}  // namespace markdown

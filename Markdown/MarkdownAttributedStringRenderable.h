#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Markdown/MarkdownASTRenderable.h"
#include "Markdown/MarkdownHTMLRenderable.h"
#include "Markdown/Styler.h"
#include "Platform/Text/AttributedString.h"

namespace markdown {

class MarkdownAttributedStringRenderable : public virtual MarkdownHTMLRenderable,
                                           public virtual MarkdownASTRenderable {
 public:
  // The text's HTML (as toHTML gives it), preceded by "<style>" + stylesheet + "</style>", read
  // by the HTML import. Without a stylesheet: "* {font-family: Helvetica } code, pre { font-family: Menlo }".
  // Throws MarkdownErrors (markdownToASTError, astRenderingError, htmlDataConversionError).
  platform::AttributedString toAttributedString(MarkdownOptions options,
                                                const std::optional<std::string>& stylesheet) const;

  // The text styled by `styler`, through the node tree and AttributedStringVisitor (no HTML).
  // Throws MarkdownErrors (markdownToASTError, astRenderingError).
  platform::AttributedString toAttributedString(MarkdownOptions options,
                                                const std::shared_ptr<Styler>& styler) const;
};

}  // namespace markdown

#pragma once

#include "Markdown/CmarkTree.h"
#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

namespace markdown {

class MarkdownASTRenderable : public virtual MarkdownRenderable {
public:
    // The text's cmark parse tree; the caller owns it.
    // Throws MarkdownErrors::markdownToASTError.
    CmarkTree toAST(MarkdownOptions options = MarkdownOptions::default_) const;
};

}  // namespace markdown

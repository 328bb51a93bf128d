#pragma once

#include "Markdown/CmarkTree.h"
#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <memory>

namespace markdown {

class Document;

class MarkdownASTRenderable : public virtual MarkdownRenderable {
public:
    // The text's cmark parse tree; the caller owns it.
    // Throws MarkdownErrors::markdownToASTError.
    CmarkTree toAST(MarkdownOptions options = MarkdownOptions::default_) const;

    // The text's node tree. The tree lives as long as the document or any of its nodes.
    // Throws MarkdownErrors::markdownToASTError, or astRenderingError when the root that cmark
    // gives is not a document.
    std::shared_ptr<Document> toDocument(MarkdownOptions options = MarkdownOptions::default_) const;
};

}  // namespace markdown

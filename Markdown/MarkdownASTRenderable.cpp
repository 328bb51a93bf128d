#include "Markdown/MarkdownASTRenderable.h"

#include "Markdown/Document.h"
#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

CmarkTree MarkdownASTRenderable::toAST(MarkdownOptions options) const {
    return MarkdownASTRenderer::stringToAST(markdownString(), options);
}

std::shared_ptr<Document> MarkdownASTRenderable::toDocument(MarkdownOptions options) const {
    CmarkTree root = toAST(options);
    if (handle::type(root.get()) != CMARK_NODE_DOCUMENT) {
        throw MarkdownErrors(MarkdownErrors::astRenderingError);
    }
    cmark_node* const handle = root.get();
    // The shared owner takes the tree from `root` only once it exists, so nothing leaks if
    // making it throws.
    const std::shared_ptr<cmark_node> tree(std::move(root));
    return std::make_shared<Document>(handle, tree);
}

}  // namespace markdown

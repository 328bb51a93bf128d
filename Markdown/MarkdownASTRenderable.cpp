#include "Markdown/MarkdownASTRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"

namespace markdown {

CmarkTree MarkdownASTRenderable::toAST(MarkdownOptions options) const {
    return MarkdownASTRenderer::stringToAST(markdownString(), options);
}

}  // namespace markdown

#include "Markdown/MarkdownHTMLRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownHTMLRenderer.h"

namespace markdown {

std::string MarkdownHTMLRenderable::toHTML(MarkdownOptions options) const {
  const CmarkTree tree = MarkdownASTRenderer::stringToAST(markdownString(), options);
  return MarkdownHTMLRenderer::astToHTML(tree.get(), options);
}

}  // namespace markdown

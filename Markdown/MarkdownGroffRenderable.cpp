#include "Markdown/MarkdownGroffRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownGroffRenderer.h"

namespace markdown {

std::string MarkdownGroffRenderable::toGroff(MarkdownOptions options, int width) const {
  const CmarkTree tree = MarkdownASTRenderer::stringToAST(markdownString(), options);
  return MarkdownGroffRenderer::astToGroff(tree.get(), options, width);
}

}  // namespace markdown

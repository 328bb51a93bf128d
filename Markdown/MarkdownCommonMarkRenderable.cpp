#include "Markdown/MarkdownCommonMarkRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownCommonMarkRenderer.h"

namespace markdown {

std::string MarkdownCommonMarkRenderable::toCommonMark(MarkdownOptions options, int width) const {
  const CmarkTree tree = MarkdownASTRenderer::stringToAST(markdownString(), options);
  return MarkdownCommonMarkRenderer::astToCommonMark(tree.get(), options, width);
}

}  // namespace markdown

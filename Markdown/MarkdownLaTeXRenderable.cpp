#include "Markdown/MarkdownLaTeXRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownLaTeXRenderer.h"

namespace markdown {

std::string MarkdownLaTeXRenderable::toLaTeX(MarkdownOptions options, int width) const {
  const CmarkTree tree = MarkdownASTRenderer::stringToAST(markdownString(), options);
  return MarkdownLaTeXRenderer::astToLaTeX(tree.get(), options, width);
}

}  // namespace markdown

#include "Markdown/MarkdownLaTeXRenderer.h"

#include "Markdown/RenderedText.h"

namespace markdown {

std::string MarkdownLaTeXRenderer::astToLaTeX(cmark_node* tree, MarkdownOptions options, int width) {
  return takeRenderedText(cmark_render_latex(tree, options.rawValue(), width));
}

}  // namespace markdown

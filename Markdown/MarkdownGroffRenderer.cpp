#include "Markdown/MarkdownGroffRenderer.h"

#include "Markdown/RenderedText.h"

namespace markdown {

std::string MarkdownGroffRenderer::astToGroff(cmark_node* tree, MarkdownOptions options, int width) {
  return takeRenderedText(cmark_render_man(tree, options.rawValue(), width));
}

}  // namespace markdown

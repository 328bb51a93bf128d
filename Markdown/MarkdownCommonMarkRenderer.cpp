#include "Markdown/MarkdownCommonMarkRenderer.h"

#include "Markdown/RenderedText.h"

namespace markdown {

std::string MarkdownCommonMarkRenderer::astToCommonMark(cmark_node* tree, MarkdownOptions options,
                                                        int width) {
  return takeRenderedText(cmark_render_commonmark(tree, options.rawValue(), width));
}

}  // namespace markdown

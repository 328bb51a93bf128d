#include "Markdown/MarkdownHTMLRenderer.h"

#include "Markdown/RenderedText.h"

namespace markdown {

std::string MarkdownHTMLRenderer::astToHTML(cmark_node* tree, MarkdownOptions options) {
  return takeRenderedText(cmark_render_html(tree, options.rawValue()));
}

}  // namespace markdown

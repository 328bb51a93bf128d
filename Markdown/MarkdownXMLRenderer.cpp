#include "Markdown/MarkdownXMLRenderer.h"

#include "Markdown/RenderedText.h"

namespace markdown {

std::string MarkdownXMLRenderer::astToXML(cmark_node* tree, MarkdownOptions options) {
  return takeRenderedText(cmark_render_xml(tree, options.rawValue()));
}

}  // namespace markdown

#include "Markdown/MarkdownXMLRenderable.h"

#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownXMLRenderer.h"

namespace markdown {

std::string MarkdownXMLRenderable::toXML(MarkdownOptions options) const {
  const CmarkTree tree = MarkdownASTRenderer::stringToAST(markdownString(), options);
  return MarkdownXMLRenderer::astToXML(tree.get(), options);
}

}  // namespace markdown

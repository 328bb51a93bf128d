#include "Markdown/HtmlBlock.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string HtmlBlock::debugDescription() const {
  return "Html Block - content: " + description::escapedTextOrNil(literal());
}

void HtmlBlock::dispatchTo(NodeDispatch& dispatch) const { dispatch.onHtmlBlock(*this); }

}  // namespace markdown

#include "Markdown/HtmlInline.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string HtmlInline::debugDescription() const {
  return "Html Inline - " + description::textOrNil(literal());
}

void HtmlInline::dispatchTo(NodeDispatch& dispatch) const { dispatch.onHtmlInline(*this); }

}  // namespace markdown

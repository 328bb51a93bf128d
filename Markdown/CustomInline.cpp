#include "Markdown/CustomInline.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string CustomInline::debugDescription() const {
  return "Custom Inline - " + description::textOrNil(literal());
}

void CustomInline::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCustomInline(*this); }

}  // namespace markdown

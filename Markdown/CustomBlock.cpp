#include "Markdown/CustomBlock.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string CustomBlock::debugDescription() const {
  return "Custom Block - " + description::textOrNil(literal());
}

void CustomBlock::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCustomBlock(*this); }

}  // namespace markdown

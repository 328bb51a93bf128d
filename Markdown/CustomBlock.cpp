#include "Markdown/CustomBlock.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& CustomBlock::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void CustomBlock::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string CustomBlock::debugDescription() const {
    return "Custom Block - " + description::textOrNil(literal());
}

void CustomBlock::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCustomBlock(*this); }

}  // namespace markdown

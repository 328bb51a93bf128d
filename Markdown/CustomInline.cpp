#include "Markdown/CustomInline.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& CustomInline::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void CustomInline::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string CustomInline::debugDescription() const {
    return "Custom Inline - " + description::textOrNil(literal());
}

void CustomInline::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCustomInline(*this); }

}  // namespace markdown

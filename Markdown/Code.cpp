#include "Markdown/Code.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& Code::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void Code::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string Code::debugDescription() const { return "Code - " + description::textOrNil(literal()); }

void Code::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCode(*this); }

}  // namespace markdown

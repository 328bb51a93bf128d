#include "Markdown/Text.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& Text::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void Text::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string Text::debugDescription() const { return "Text - " + description::textOrNil(literal()); }

void Text::dispatchTo(NodeDispatch& dispatch) const { dispatch.onText(*this); }

}  // namespace markdown

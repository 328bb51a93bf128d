#include "Markdown/HtmlBlock.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& HtmlBlock::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void HtmlBlock::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string HtmlBlock::debugDescription() const {
    return "Html Block - content: " + description::escapedTextOrNil(literal());
}

void HtmlBlock::dispatchTo(NodeDispatch& dispatch) const { dispatch.onHtmlBlock(*this); }

}  // namespace markdown

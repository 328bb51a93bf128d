#include "Markdown/HtmlInline.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& HtmlInline::literal() const {
    return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void HtmlInline::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

std::string HtmlInline::debugDescription() const {
    return "Html Inline - " + description::textOrNil(literal());
}

void HtmlInline::dispatchTo(NodeDispatch& dispatch) const { dispatch.onHtmlInline(*this); }

}  // namespace markdown

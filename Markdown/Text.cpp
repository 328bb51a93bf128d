#include "Markdown/Text.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Text::debugDescription() const { return "Text - " + description::textOrNil(literal()); }

void Text::dispatchTo(NodeDispatch& dispatch) const { dispatch.onText(*this); }

}  // namespace markdown

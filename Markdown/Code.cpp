#include "Markdown/Code.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Code::debugDescription() const { return "Code - " + description::textOrNil(literal()); }

void Code::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCode(*this); }

}  // namespace markdown

#include "Markdown/Emphasis.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Emphasis::debugDescription() const { return "Emphasis"; }

void Emphasis::dispatchTo(NodeDispatch& dispatch) const { dispatch.onEmphasis(*this); }

}  // namespace markdown

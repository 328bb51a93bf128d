#include "Markdown/LineBreak.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string LineBreak::debugDescription() const { return "Line Break"; }

void LineBreak::dispatchTo(NodeDispatch& dispatch) const { dispatch.onLineBreak(*this); }

}  // namespace markdown

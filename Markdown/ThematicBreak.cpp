#include "Markdown/ThematicBreak.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string ThematicBreak::debugDescription() const { return "Thematic Break"; }

void ThematicBreak::dispatchTo(NodeDispatch& dispatch) const { dispatch.onThematicBreak(*this); }

}  // namespace markdown

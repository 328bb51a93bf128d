#include "Markdown/SoftBreak.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string SoftBreak::debugDescription() const { return "Soft Break"; }

void SoftBreak::dispatchTo(NodeDispatch& dispatch) const { dispatch.onSoftBreak(*this); }

}  // namespace markdown

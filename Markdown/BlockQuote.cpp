#include "Markdown/BlockQuote.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string BlockQuote::debugDescription() const { return "Block Quote"; }

void BlockQuote::dispatchTo(NodeDispatch& dispatch) const { dispatch.onBlockQuote(*this); }

}  // namespace markdown

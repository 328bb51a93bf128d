#include "Markdown/Strong.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Strong::debugDescription() const { return "Strong"; }

void Strong::dispatchTo(NodeDispatch& dispatch) const { dispatch.onStrong(*this); }

}  // namespace markdown

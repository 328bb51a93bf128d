#include "Markdown/Document.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Document::debugDescription() const { return "Document"; }

void Document::dispatchTo(NodeDispatch& dispatch) const { dispatch.onDocument(*this); }

}  // namespace markdown

#include "Markdown/Node.h"

namespace markdown {

void Node::dispatchTo(NodeDispatch&) const {}

bool Node::hasNextSibling() const { return cmark_node_next(cmarkNode()) != nullptr; }

}  // namespace markdown

#include "Markdown/LiteralNode.h"

#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& LiteralNode::literal() const {
  return literal_.get([this] { return handle::literal(cmarkNode()); });
}

void LiteralNode::setLiteral(std::optional<std::string> literal) { literal_.set(std::move(literal)); }

}  // namespace markdown

#pragma once

#include "Markdown/LiteralNode.h"

#include <string>

namespace markdown {

// An inline code span.
class Code : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

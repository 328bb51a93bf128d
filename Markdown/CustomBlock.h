#pragma once

#include "Markdown/LiteralNode.h"

#include <string>

namespace markdown {

// A block whose text an outside renderer chose.
class CustomBlock : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

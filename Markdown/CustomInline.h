#pragma once

#include "Markdown/LiteralNode.h"

#include <string>

namespace markdown {

// An inline whose text an outside renderer chose.
class CustomInline : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

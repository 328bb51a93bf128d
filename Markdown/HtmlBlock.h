#pragma once

#include "Markdown/LiteralNode.h"

#include <string>

namespace markdown {

// A block of raw HTML.
class HtmlBlock : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

#pragma once

#include "Markdown/LiteralNode.h"

#include <string>

namespace markdown {

// A span of raw inline HTML.
class HtmlInline : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

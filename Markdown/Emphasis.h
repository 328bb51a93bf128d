#pragma once

#include "Markdown/BaseNode.h"

#include <string>

namespace markdown {

// Emphasised text.
class Emphasis : public BaseNode {
 public:
  using BaseNode::BaseNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

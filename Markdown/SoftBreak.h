#pragma once

#include "Markdown/BaseNode.h"

#include <string>

namespace markdown {

// A line break in the source that is not a hard break.
class SoftBreak : public BaseNode {
 public:
  using BaseNode::BaseNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

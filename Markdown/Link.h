#pragma once

#include "Markdown/DestinationNode.h"

#include <string>

namespace markdown {

// A link; its children are the link text.
class Link : public DestinationNode {
 public:
  using DestinationNode::DestinationNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

#pragma once

#include "Markdown/DestinationNode.h"

#include <string>

namespace markdown {

// An image; its children are the image's description.
class Image : public DestinationNode {
 public:
  using DestinationNode::DestinationNode;

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

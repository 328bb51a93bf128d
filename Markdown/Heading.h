#pragma once

#include "Markdown/BaseNode.h"

#include <string>

namespace markdown {

// An ATX or setext heading.
class Heading : public BaseNode {
 public:
  using BaseNode::BaseNode;

  // 1 to 6. Read once, then kept.
  virtual int headingLevel() const;
  virtual void setHeadingLevel(int headingLevel);

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;

 private:
  mutable Lazy<int> headingLevel_;
};

}  // namespace markdown

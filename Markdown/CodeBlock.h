#pragma once

#include "Markdown/LiteralNode.h"

#include <optional>
#include <string>

namespace markdown {

// An indented or fenced code block.
class CodeBlock : public LiteralNode {
 public:
  using LiteralNode::LiteralNode;

  // The info string after the opening fence; absent when there is none. Read once, then kept.
  virtual const std::optional<std::string>& fenceInfo() const;
  virtual void setFenceInfo(std::optional<std::string> fenceInfo);

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;

 private:
  mutable Lazy<std::optional<std::string>> fenceInfo_;
};

}  // namespace markdown

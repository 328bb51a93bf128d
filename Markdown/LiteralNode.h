#pragma once

#include "Markdown/BaseNode.h"

#include <optional>
#include <string>

namespace markdown {

// The base of the node classes that carry a text of their own (code, raw HTML, plain text,
// custom content).
class LiteralNode : public BaseNode {
 public:
  using BaseNode::BaseNode;

  // The node's text; absent when cmark has none or it is empty. Read once, then kept.
  virtual const std::optional<std::string>& literal() const;
  virtual void setLiteral(std::optional<std::string> literal);

 private:
  mutable Lazy<std::optional<std::string>> literal_;
};

}  // namespace markdown

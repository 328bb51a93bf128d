#pragma once

#include "Markdown/BaseNode.h"

#include <string>

namespace markdown {

template <class Result>
class Visitor;

// The root of a parse tree.
// Made by MarkdownASTRenderable::toDocument; holds a share of the tree like every node.
class Document : public BaseNode {
 public:
  using BaseNode::BaseNode;

  // The visitor's result for this document; see Visitor.h.
  template <class Result>
  Result accept(Visitor<Result>& visitor) const {
    return visitor.visitDocument(*this);
  }

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;
};

}  // namespace markdown

#include "Markdown/BaseNode.h"

#include "Markdown/ChildSequence.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

namespace {

int countAncestorsOfSameType(cmark_node* node) {
  const cmark_node_type type = handle::type(node);
  int count = 0;
  for (cmark_node* ancestor = handle::parent(node); ancestor != nullptr;
       ancestor = handle::parent(ancestor)) {
    if (handle::type(ancestor) == type) {
      ++count;
    }
  }
  return count;
}

}  // namespace

BaseNode::BaseNode(cmark_node* cmarkNode, std::shared_ptr<cmark_node> tree) noexcept
    : cmarkNode_(cmarkNode), tree_(std::move(tree)) {}

cmark_node* BaseNode::cmarkNode() const { return cmarkNode_; }

const std::shared_ptr<cmark_node>& BaseNode::sharedTree() const { return tree_; }

const std::vector<std::shared_ptr<Node>>& BaseNode::children() const {
  return children_.get([this] {
    std::vector<std::shared_ptr<Node>> children;
    ChildSequence::Iterator iterator = ChildSequence(cmarkNode_, tree_).makeIterator();
    while (std::shared_ptr<Node> child = iterator.next()) {
      children.push_back(std::move(child));
    }
    return children;
  });
}

void BaseNode::setChildren(std::vector<std::shared_ptr<Node>> children) {
  children_.set(std::move(children));
}

int BaseNode::nestDepth() const {
  return nestDepth_.get([this] { return countAncestorsOfSameType(cmarkNode_); });
}

void BaseNode::setNestDepth(int nestDepth) { nestDepth_.set(nestDepth); }

}  // namespace markdown

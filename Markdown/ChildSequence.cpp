#include "Markdown/ChildSequence.h"

#include "Markdown/NodeObject.h"

#include <utility>

namespace markdown {

ChildSequence::Iterator::Iterator(cmark_node* first, std::shared_ptr<cmark_node> tree) noexcept
    : node_(first), tree_(std::move(tree)) {}

std::shared_ptr<Node> ChildSequence::Iterator::next() {
  if (node_ == nullptr) {
    return nullptr;
  }
  std::shared_ptr<Node> object = nodeObject(node_, tree_);
  node_ = object != nullptr ? cmark_node_next(node_) : nullptr;
  return object;
}

ChildSequence::ChildSequence(cmark_node* node, std::shared_ptr<cmark_node> tree) noexcept
    : node_(node), tree_(std::move(tree)) {}

ChildSequence::Iterator ChildSequence::makeIterator() const {
  return Iterator(cmark_node_first_child(node_), tree_);
}

}  // namespace markdown

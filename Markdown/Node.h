#pragma once

#include <cmark.h>

#include <memory>
#include <vector>

namespace markdown {

class NodeDispatch;

// One node of a cmark parse tree. Every node object shares ownership of its tree, so a node
// stays valid after the Document it came from is gone; the tree is freed with its last node.
// Nodes take no locks: one tree and its nodes are used by one thread at a time.
class Node {
 public:
  virtual ~Node() = default;

  // The cmark node; never null, owned by the tree.
  virtual cmark_node* cmarkNode() const = 0;
  // The node's children in document order, the same objects on every read.
  virtual const std::vector<std::shared_ptr<Node>>& children() const = 0;
  // The owner of the whole tree this node belongs to.
  virtual const std::shared_ptr<cmark_node>& sharedTree() const = 0;
  // Hands the node, as its own class, to the matching operation of `dispatch`. Nodes of a
  // class outside the library's twenty call nothing.
  virtual void dispatchTo(NodeDispatch& dispatch) const;

  bool hasNextSibling() const;

 protected:
  Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
};

}  // namespace markdown

#pragma once

#include "Markdown/Lazy.h"
#include "Markdown/Node.h"

#include <memory>
#include <string>
#include <vector>

namespace markdown {

// The class behind every node object. Properties are read from cmark on first use and kept,
// even if the cmark tree changes afterwards; setting one replaces the kept value.
class BaseNode : public Node {
 public:
  // `cmarkNode` is a non-null node of `tree`.
  BaseNode(cmark_node* cmarkNode, std::shared_ptr<cmark_node> tree) noexcept;

  cmark_node* cmarkNode() const final;
  const std::shared_ptr<cmark_node>& sharedTree() const final;

  const std::vector<std::shared_ptr<Node>>& children() const override;
  virtual void setChildren(std::vector<std::shared_ptr<Node>> children);

  // How many ancestors have this node's cmark type: 0 for a top-level list, 1 for a list
  // in an item of that list.
  virtual int nestDepth() const;
  virtual void setNestDepth(int nestDepth);

  // One line describing the node, as the debug tree shows it.
  virtual std::string debugDescription() const = 0;

 private:
  cmark_node* cmarkNode_;
  std::shared_ptr<cmark_node> tree_;
  mutable Lazy<std::vector<std::shared_ptr<Node>>> children_;
  mutable Lazy<int> nestDepth_;
};

}  // namespace markdown

#pragma once

#include "Markdown/Node.h"

#include <memory>

namespace markdown {

// The children of a cmark node as new node objects, made one by one as the iteration
// reaches them. A child of no known kind ends the sequence; its later siblings are not seen.
class ChildSequence {
 public:
  class Iterator {
   public:
    Iterator(cmark_node* first, std::shared_ptr<cmark_node> tree) noexcept;
    // The next child's new object, or null at the end.
    std::shared_ptr<Node> next();

   private:
    cmark_node* node_;
    std::shared_ptr<cmark_node> tree_;
  };

  // `node` belongs to `tree`.
  ChildSequence(cmark_node* node, std::shared_ptr<cmark_node> tree) noexcept;

  Iterator makeIterator() const;

 private:
  cmark_node* node_;
  std::shared_ptr<cmark_node> tree_;
};

}  // namespace markdown

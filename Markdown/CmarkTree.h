#pragma once

#include <cmark.h>

#include <memory>

namespace markdown {

struct CmarkNodeFree {
  void operator()(cmark_node* node) const noexcept { cmark_node_free(node); }
};

// Sole ownership of a cmark parse tree: the whole tree is freed with its root.
using CmarkTree = std::unique_ptr<cmark_node, CmarkNodeFree>;

}  // namespace markdown

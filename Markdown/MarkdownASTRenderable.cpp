#include "Markdown/MarkdownASTRenderable.h"

#include "Markdown/Document.h"
#include "Markdown/MarkdownASTRenderer.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

namespace {

// True when some node of the tree has more than `levels` ancestors. Walks the tree once,
// without recursion, whatever its depth.
bool nestsDeeperThan(cmark_node* root, int levels) {
  int depth = 0;
  cmark_node* node = root;
  while (true) {
    if (cmark_node* child = cmark_node_first_child(node)) {
      node = child;
      if (++depth > levels) {
        return true;
      }
      continue;
    }
    while (node != root && cmark_node_next(node) == nullptr) {
      node = handle::parent(node);
      --depth;
    }
    if (node == root) {
      return false;
    }
    node = cmark_node_next(node);
  }
}

}  // namespace

CmarkTree MarkdownASTRenderable::toAST(MarkdownOptions options) const {
  return MarkdownASTRenderer::stringToAST(markdownString(), options);
}

std::shared_ptr<Document> MarkdownASTRenderable::toDocument(MarkdownOptions options) const {
  CmarkTree root = toAST(options);
  if (handle::type(root.get()) != CMARK_NODE_DOCUMENT) {
    throw MarkdownErrors(MarkdownErrors::astRenderingError);
  }
  // Visitors recurse once per level; a text of thousands of ">" would exhaust the stack.
  if (nestsDeeperThan(root.get(), maximumNestingDepth)) {
    throw MarkdownErrors(MarkdownErrors::markdownToASTError);
  }
  cmark_node* const handle = root.get();
  // The shared owner takes the tree from `root` only once it exists, so nothing leaks if
  // making it throws.
  const std::shared_ptr<cmark_node> tree(std::move(root));
  return std::make_shared<Document>(handle, tree);
}

}  // namespace markdown

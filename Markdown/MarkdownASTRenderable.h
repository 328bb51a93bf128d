#pragma once

#include "Markdown/CmarkTree.h"
#include "Markdown/MarkdownOptions.h"
#include "Markdown/MarkdownRenderable.h"

#include <memory>

namespace markdown {

class Document;

class MarkdownASTRenderable : public virtual MarkdownRenderable {
 public:
  // The text's cmark parse tree; the caller owns it.
  // Throws MarkdownErrors::markdownToASTError.
  CmarkTree toAST(MarkdownOptions options = MarkdownOptions::default_) const;

  // The deepest nesting toDocument accepts: the most ancestors a node may have. Far beyond
  // what any writer nests, well within what a recursive visitor can walk on a thread's stack.
  static constexpr int maximumNestingDepth = 1000;

  // The text's node tree. The tree lives as long as the document or any of its nodes.
  // Throws MarkdownErrors::markdownToASTError when the text cannot be parsed or nests deeper
  // than maximumNestingDepth, astRenderingError when the root that cmark gives is not a document.
  std::shared_ptr<Document> toDocument(MarkdownOptions options = MarkdownOptions::default_) const;
};

}  // namespace markdown

#include "Markdown/MarkdownASTRenderer.h"

#include "Markdown/MarkdownErrors.h"
#include "Platform/Core/Unicode.h"

namespace markdown {

CmarkTree MarkdownASTRenderer::stringToAST(std::string_view markdown, MarkdownOptions options) {
  // Unchecked, cmark copies bad bytes into HTML and XML and its other renderers drop the
  // rest of the text after them: refuse such text unless cmark is asked to repair it.
  if (!options.contains(MarkdownOptions::validateUTF8) && !platform::unicode::isValidUTF8(markdown)) {
    throw MarkdownErrors(MarkdownErrors::markdownToASTError);
  }
  CmarkTree tree(cmark_parse_document(markdown.data(), markdown.size(), options.rawValue()));
  if (tree == nullptr) {
    throw MarkdownErrors(MarkdownErrors::markdownToASTError);
  }
  return tree;
}

}  // namespace markdown

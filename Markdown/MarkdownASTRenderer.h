#pragma once

#include "Markdown/CmarkTree.h"
#include "Markdown/MarkdownOptions.h"

#include <string_view>

namespace markdown {

struct MarkdownASTRenderer {
  // Parses the whole text, NUL characters included (cmark turns them into U+FFFD).
  // The caller owns the tree. Throws MarkdownErrors::markdownToASTError when the text is not
  // valid UTF-8 (unless the options hold validateUTF8, which has cmark replace bad bytes by
  // U+FFFD) or cmark gives no tree.
  static CmarkTree stringToAST(std::string_view markdown, MarkdownOptions options);
};

}  // namespace markdown

#pragma once

#include "Markdown/Node.h"

#include <memory>

namespace markdown {

// A new object of the class that matches the cmark node's type (Paragraph for a paragraph,
// and so on), sharing ownership of `tree`; null for a type outside cmark's twenty.
// Each call makes a new object.
std::shared_ptr<Node> nodeObject(cmark_node* node, const std::shared_ptr<cmark_node>& tree);

}  // namespace markdown

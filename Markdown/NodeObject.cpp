#include "Markdown/NodeObject.h"

#include "Markdown/BlockQuote.h"
#include "Markdown/Code.h"
#include "Markdown/CodeBlock.h"
#include "Markdown/CustomBlock.h"
#include "Markdown/CustomInline.h"
#include "Markdown/Document.h"
#include "Markdown/Emphasis.h"
#include "Markdown/Heading.h"
#include "Markdown/HtmlBlock.h"
#include "Markdown/HtmlInline.h"
#include "Markdown/Image.h"
#include "Markdown/Item.h"
#include "Markdown/LineBreak.h"
#include "Markdown/Link.h"
#include "Markdown/List.h"
#include "Markdown/NodeHandle.h"
#include "Markdown/Paragraph.h"
#include "Markdown/SoftBreak.h"
#include "Markdown/Strong.h"
#include "Markdown/Text.h"
#include "Markdown/ThematicBreak.h"

namespace markdown {

std::shared_ptr<Node> nodeObject(cmark_node* node, const std::shared_ptr<cmark_node>& tree) {
  switch (handle::type(node)) {
    case CMARK_NODE_DOCUMENT:
      return std::make_shared<Document>(node, tree);
    case CMARK_NODE_BLOCK_QUOTE:
      return std::make_shared<BlockQuote>(node, tree);
    case CMARK_NODE_LIST:
      return std::make_shared<List>(node, tree);
    case CMARK_NODE_ITEM:
      return std::make_shared<Item>(node, tree);
    case CMARK_NODE_CODE_BLOCK:
      return std::make_shared<CodeBlock>(node, tree);
    case CMARK_NODE_HTML_BLOCK:
      return std::make_shared<HtmlBlock>(node, tree);
    case CMARK_NODE_CUSTOM_BLOCK:
      return std::make_shared<CustomBlock>(node, tree);
    case CMARK_NODE_PARAGRAPH:
      return std::make_shared<Paragraph>(node, tree);
    case CMARK_NODE_HEADING:
      return std::make_shared<Heading>(node, tree);
    case CMARK_NODE_THEMATIC_BREAK:
      return std::make_shared<ThematicBreak>(node, tree);
    case CMARK_NODE_TEXT:
      return std::make_shared<Text>(node, tree);
    case CMARK_NODE_SOFTBREAK:
      return std::make_shared<SoftBreak>(node, tree);
    case CMARK_NODE_LINEBREAK:
      return std::make_shared<LineBreak>(node, tree);
    case CMARK_NODE_CODE:
      return std::make_shared<Code>(node, tree);
    case CMARK_NODE_HTML_INLINE:
      return std::make_shared<HtmlInline>(node, tree);
    case CMARK_NODE_CUSTOM_INLINE:
      return std::make_shared<CustomInline>(node, tree);
    case CMARK_NODE_EMPH:
      return std::make_shared<Emphasis>(node, tree);
    case CMARK_NODE_STRONG:
      return std::make_shared<Strong>(node, tree);
    case CMARK_NODE_LINK:
      return std::make_shared<Link>(node, tree);
    case CMARK_NODE_IMAGE:
      return std::make_shared<Image>(node, tree);
    case CMARK_NODE_NONE:
      break;
  }
  return nullptr;
}

}  // namespace markdown

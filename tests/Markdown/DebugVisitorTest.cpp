#include "Markdown/DebugVisitor.h"
#include "Markdown/Markdown.h"

#include <gtest/gtest.h>

#include <string>

namespace markdown {
namespace {

std::string debugTreeOf(const std::string& text, DebugVisitor& visitor) {
  return Markdown(text).toDocument(MarkdownOptions::default_)->accept(visitor);
}

std::string debugTreeOf(const std::string& text) {
  DebugVisitor visitor;
  return debugTreeOf(text, visitor);
}

TEST(DebugVisitorTest, OneLinePerNodeIndentedByDepth) {
  const struct {
    const char* markdown;
    const char* tree;
  } cases[] = {
      {"", "Document\n"},
      {"Hi", "Document\n    ↳ Paragraph\n        ↳ Text - Hi\n"},
      {"```js\nlet a;\nlet b;\n```\n",
       "Document\n    ↳ Code Block - fenceInfo: js, content: let a;\\nlet b;\\n\n"},
      {"- one\n  1) two\n\n> > deep\n",
       "Document\n"
       "    ↳ List - type: Bullet, isTight: true\n"
       "        ↳ Item\n"
       "            ↳ Paragraph\n"
       "                ↳ Text - one\n"
       "            ↳ List - type: Ordered (start: 1), isTight: true, delimiter: paren\n"
       "                ↳ Item\n"
       "                    ↳ Paragraph\n"
       "                        ↳ Text - two\n"
       "    ↳ Block Quote\n"
       "        ↳ Block Quote\n"
       "            ↳ Paragraph\n"
       "                ↳ Text - deep\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(debugTreeOf(c.markdown), c.tree) << c.markdown;
}

TEST(DebugVisitorTest, EveryKindOfNodeHasItsLine) {
  const auto document = Markdown(
                            "# Title\n\n<div>\nx\n</div>\n\n---\n\n"
                            "a\\\nb\nc *e* **s** `k` <b> [l](u \"t\") ![i](p)\n")
                            .toDocument(MarkdownOptions::default_);
  // cmark's parser never makes custom nodes; add one of each kind by hand.
  cmark_node* customBlock = cmark_node_new(CMARK_NODE_CUSTOM_BLOCK);
  ASSERT_EQ(cmark_node_append_child(document->cmarkNode(), customBlock), 1);
  cmark_node* paragraph = cmark_node_new(CMARK_NODE_PARAGRAPH);
  ASSERT_EQ(cmark_node_append_child(document->cmarkNode(), paragraph), 1);
  ASSERT_EQ(cmark_node_append_child(paragraph, cmark_node_new(CMARK_NODE_CUSTOM_INLINE)), 1);

  DebugVisitor visitor;
  EXPECT_EQ(document->accept(visitor),
            "Document\n"
            "    ↳ Heading - L1\n"
            "        ↳ Text - Title\n"
            "    ↳ Html Block - content: <div>\\nx\\n</div>\\n\n"
            "    ↳ Thematic Break\n"
            "    ↳ Paragraph\n"
            "        ↳ Text - a\n"
            "        ↳ Line Break\n"
            "        ↳ Text - b\n"
            "        ↳ Soft Break\n"
            "        ↳ Text - c \n"
            "        ↳ Emphasis\n"
            "            ↳ Text - e\n"
            "        ↳ Text -  \n"
            "        ↳ Strong\n"
            "            ↳ Text - s\n"
            "        ↳ Text -  \n"
            "        ↳ Code - k\n"
            "        ↳ Text -  \n"
            "        ↳ Html Inline - <b>\n"
            "        ↳ Text -  \n"
            "        ↳ Link - title: t, url: u)\n"
            "            ↳ Text - l\n"
            "        ↳ Text -  \n"
            "        ↳ Image - title: nil, url: p)\n"
            "            ↳ Text - i\n"
            "    ↳ Custom Block - nil\n"
            "    ↳ Paragraph\n"
            "        ↳ Custom Inline - nil\n");
}

TEST(DebugVisitorTest, AVisitorCanBeUsedAgain) {
  const auto document = Markdown("- a\n  - b\n    > c\n").toDocument(MarkdownOptions::default_);
  DebugVisitor visitor;
  const std::string first = document->accept(visitor);
  EXPECT_EQ(visitor.depth(), 0);
  EXPECT_EQ(document->accept(visitor), first);
  EXPECT_EQ(debugTreeOf("plain", visitor), "Document\n    ↳ Paragraph\n        ↳ Text - plain\n");
}

TEST(DebugVisitorTest, DepthSetsTheStartingIndent) {
  DebugVisitor visitor;
  visitor.setDepth(1);
  EXPECT_EQ(debugTreeOf("x", visitor), "    Document\n        ↳ Paragraph\n            ↳ Text - x\n");
  EXPECT_EQ(visitor.depth(), 1);
}

}  // namespace
}  // namespace markdown

#include "Markdown/ChildSequence.h"
#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/Visitor.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace markdown {
namespace {

std::shared_ptr<Document> documentOf(const std::string& text) {
  return Markdown(text).toDocument(MarkdownOptions::default_);
}

// The node at the path of child indexes below the document.
template <class NodeClass>
std::shared_ptr<NodeClass> nodeAt(const std::shared_ptr<Document>& document,
                                  std::initializer_list<std::size_t> path) {
  std::shared_ptr<Node> node = document;
  for (std::size_t index : path) {
    const auto& children = node->children();
    if (index >= children.size()) {
      ADD_FAILURE() << "no child " << index;
      return nullptr;
    }
    node = children[index];
  }
  auto typed = std::dynamic_pointer_cast<NodeClass>(node);
  EXPECT_NE(typed, nullptr) << "the node is of another class";
  return typed;
}

// Each node class's own properties, as its description shows them (the debug tree test sees every class).
TEST(NodeTreeTest, PropertiesShowInTheDescription) {
  const struct {
    const char* markdown;
    std::initializer_list<std::size_t> path;
    const char* description;
  } cases[] = {
      {"3) one\n4) two\n", {0}, "List - type: Ordered (start: 3), isTight: true, delimiter: paren"},
      {"- a\n\n- b\n", {0}, "List - type: Bullet, isTight: false"},
      {"1. a\n", {0}, "List - type: Ordered (start: 1), isTight: true, delimiter: period"},
      {"```\na\nb\n```\n", {0}, "Code Block - fenceInfo: nil, content: a\\nb\\n"},
      {"```swift\nlet x = 1\n```\n", {0}, "Code Block - fenceInfo: swift, content: let x = 1\\n"},
      {"[a](http://x.org \"T\")", {0, 0}, "Link - title: T, url: http://x.org)"},
      {"[b](/path)", {0, 0}, "Link - title: nil, url: /path)"},
      {"![c](img.png \"P\")", {0, 0}, "Image - title: P, url: img.png)"},
  };
  for (const auto& c : cases) {
    const auto node = nodeAt<BaseNode>(documentOf(c.markdown), c.path);
    ASSERT_NE(node, nullptr) << c.markdown;
    EXPECT_EQ(node->debugDescription(), c.description);
  }
  const auto list = nodeAt<List>(documentOf("3) one\n4) two\n"), {0});
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->listType(), List::ListType::ordered(3));
  EXPECT_EQ(list->delimiter(), List::Delimiter::paren);
  EXPECT_EQ(nodeAt<List>(documentOf("- a\n"), {0})->delimiter(), std::nullopt);
  EXPECT_EQ(nodeAt<List>(documentOf("* a\n* b\n* c\n* d\n* e\n"), {0})->numberOfItems(), 5);
  const auto untitled = nodeAt<Link>(documentOf("[b](/path)"), {0, 0});
  ASSERT_NE(untitled, nullptr);
  EXPECT_EQ(untitled->title(), std::nullopt);
  EXPECT_EQ(untitled->url(), "/path");
  EXPECT_EQ(nodeAt<CodeBlock>(documentOf("```\na\n```\n"), {0})->fenceInfo(), std::nullopt);
}

TEST(NodeTreeTest, AnEmptyLiteralIsAbsent) {
  const auto document = documentOf("`x`");
  cmark_node* code = cmark_node_first_child(cmark_node_first_child(document->cmarkNode()));
  ASSERT_EQ(cmark_node_set_literal(code, ""), 1);
  const auto node = nodeAt<Code>(document, {0, 0});
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->literal(), std::nullopt);
  EXPECT_EQ(node->debugDescription(), "Code - nil");
}

TEST(NodeTreeTest, PropertiesAreReadOnceAndCanBeSet) {
  const auto document = documentOf("- a\n- b\n\n## Level two\n\nplain");
  const auto list = nodeAt<List>(document, {0});
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isTight());
  list->setIsTight(false);
  EXPECT_FALSE(list->isTight());
  list->setListType(List::ListType::ordered(7));
  list->setDelimiter(List::Delimiter::period);
  EXPECT_EQ(list->debugDescription(), "List - type: Ordered (start: 7), isTight: false, delimiter: period");

  const auto heading = nodeAt<Heading>(document, {1});
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->headingLevel(), 2);
  EXPECT_EQ(heading->debugDescription(), "Heading - L2");
  cmark_node_set_heading_level(heading->cmarkNode(), 4);
  EXPECT_EQ(heading->headingLevel(), 2) << "a read value is kept";

  const auto text = nodeAt<Text>(document, {2, 0});
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->literal(), "plain");
  text->setLiteral("changed");
  EXPECT_EQ(text->debugDescription(), "Text - changed");
  list->setNestDepth(5);
  EXPECT_EQ(list->nestDepth(), 5);
}

TEST(NodeTreeTest, NestDepthCountsAncestorsOfTheSameType) {
  const auto lists = documentOf("- a\n  - b\n    - c\n");
  EXPECT_EQ(nodeAt<List>(lists, {0})->nestDepth(), 0);
  EXPECT_EQ(nodeAt<List>(lists, {0, 0, 1})->nestDepth(), 1);
  EXPECT_EQ(nodeAt<List>(lists, {0, 0, 1, 0, 1})->nestDepth(), 2);

  const auto quoted = documentOf("- x\n\n  > - y\n");
  const auto innerList = nodeAt<List>(quoted, {0, 0, 1, 0});
  ASSERT_NE(innerList, nullptr);
  EXPECT_EQ(innerList->nestDepth(), 1) << "only lists are counted";
  EXPECT_EQ(nodeAt<BlockQuote>(quoted, {0, 0, 1})->nestDepth(), 0);

  const auto quotes = documentOf("> > q\n");
  EXPECT_EQ(nodeAt<BlockQuote>(quotes, {0, 0})->nestDepth(), 1);
}

TEST(NodeTreeTest, ChildrenAreCachedButEachChildSequenceMakesNewObjects) {
  const auto document = documentOf("one\n\ntwo\n");
  const auto& first = document->children();
  const auto& second = document->children();
  ASSERT_EQ(first.size(), 2U);
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(first[0], second[0]);

  ChildSequence::Iterator iterator =
      ChildSequence(document->cmarkNode(), document->sharedTree()).makeIterator();
  const std::shared_ptr<Node> fresh = iterator.next();
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, first[0]);
  EXPECT_EQ(fresh->cmarkNode(), first[0]->cmarkNode());
  EXPECT_NE(iterator.next(), nullptr);
  EXPECT_EQ(iterator.next(), nullptr);
  EXPECT_EQ(iterator.next(), nullptr);
  EXPECT_TRUE(first[0]->hasNextSibling());
  EXPECT_FALSE(first[1]->hasNextSibling());
  EXPECT_FALSE(document->hasNextSibling());
}

TEST(NodeTreeTest, ANodeOutlivesItsDocument) {
  std::shared_ptr<Document> document = documentOf("- kept *text*\n");
  const std::shared_ptr<Node> item = document->children()[0]->children()[0];
  document.reset();
  const auto paragraph = std::dynamic_pointer_cast<Paragraph>(item->children()[0]);
  ASSERT_NE(paragraph, nullptr);
  const auto text = std::dynamic_pointer_cast<Text>(paragraph->children()[0]);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->literal(), "kept ");
  EXPECT_EQ(std::dynamic_pointer_cast<BaseNode>(item)->nestDepth(), 0);
}

TEST(NodeTreeTest, NestingBeyondTheLimitAndInvalidTextAreRefused) {
  // n quotes put the text n + 2 levels below the document: quotes, paragraph, text.
  const int quotes = MarkdownASTRenderable::maximumNestingDepth - 2;
  const auto deepest = Markdown(std::string(quotes, '>') + " x\n\nafter").toDocument();
  std::shared_ptr<Node> node = deepest->children()[0];
  for (int level = 1; level < quotes; ++level) {
    node = node->children()[0];
  }
  EXPECT_EQ(std::dynamic_pointer_cast<BlockQuote>(node)->nestDepth(), quotes - 1);
  EXPECT_EQ(std::dynamic_pointer_cast<Text>(node->children()[0]->children()[0])->literal(), "x");

  const Markdown tooDeep(std::string(quotes + 1, '>') + " x\n\nafter");
  for (const Markdown& refused : {tooDeep, Markdown("\xFF")}) {  // too deep, and not UTF-8
    if (const auto error = testsupport::thrown<MarkdownErrors>([&] { refused.toDocument(); })) {
      EXPECT_EQ(error->code(), MarkdownErrors::markdownToASTError);
    }
  }
  // The text conversions walk no node objects and take any depth.
  EXPECT_EQ(tooDeep.toHTML().substr(0, 12), "<blockquote>");
}

}  // namespace
}  // namespace markdown

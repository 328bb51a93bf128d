#include "Markdown/Markdown.h"
#include "Markdown/Visitor.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace markdown {
namespace {

// Counts the characters of text a reader sees, with a result type other than text.
class VisibleLengthVisitor final : public Visitor<std::size_t> {
 public:
  std::size_t visitDocument(const Document& node) override { return sumOfChildren(node); }
  std::size_t visitBlockQuote(const BlockQuote& node) override { return sumOfChildren(node); }
  std::size_t visitList(const List& node) override { return sumOfChildren(node); }
  std::size_t visitItem(const Item& node) override { return sumOfChildren(node); }
  std::size_t visitCodeBlock(const CodeBlock& node) override { return lengthOf(node.literal()); }
  std::size_t visitHtmlBlock(const HtmlBlock&) override { return 0; }
  std::size_t visitCustomBlock(const CustomBlock&) override { return 0; }
  std::size_t visitParagraph(const Paragraph& node) override { return sumOfChildren(node); }
  std::size_t visitHeading(const Heading& node) override { return sumOfChildren(node); }
  std::size_t visitThematicBreak(const ThematicBreak&) override { return 0; }
  std::size_t visitText(const Text& node) override { return lengthOf(node.literal()); }
  std::size_t visitSoftBreak(const SoftBreak&) override { return 1; }
  std::size_t visitLineBreak(const LineBreak&) override { return 1; }
  std::size_t visitCode(const Code& node) override { return lengthOf(node.literal()); }
  std::size_t visitHtmlInline(const HtmlInline&) override { return 0; }
  std::size_t visitCustomInline(const CustomInline&) override { return 0; }
  std::size_t visitEmphasis(const Emphasis& node) override { return sumOfChildren(node); }
  std::size_t visitStrong(const Strong& node) override { return sumOfChildren(node); }
  std::size_t visitLink(const Link& node) override { return sumOfChildren(node); }
  std::size_t visitImage(const Image&) override { return 0; }

 private:
  std::size_t sumOfChildren(const Node& node) {
    const std::vector<std::size_t> lengths = visitChildren(node);
    return std::accumulate(lengths.begin(), lengths.end(), std::size_t{0});
  }
  static std::size_t lengthOf(const std::optional<std::string>& text) { return text ? text->size() : 0; }
};

// A node of a kind the library does not know.
class ForeignNode final : public Node {
 public:
  explicit ForeignNode(std::shared_ptr<Document> document) : document_(std::move(document)) {}
  cmark_node* cmarkNode() const override { return document_->cmarkNode(); }
  const std::vector<std::shared_ptr<Node>>& children() const override { return document_->children(); }
  const std::shared_ptr<cmark_node>& sharedTree() const override { return document_->sharedTree(); }

 private:
  std::shared_ptr<Document> document_;
};

TEST(VisitorTest, ResultsFollowTheNodeClasses) {
  const auto document =
      Markdown("# Head\n\nsome *em* `code` [link](u) ![img](p)\nnext\n\n```\nblock\n```\n\n<p>\n")
          .toDocument(MarkdownOptions::default_);
  VisibleLengthVisitor visitor;
  // "Head" + "some " + "em" + " " + "code" + " " + "link" + " " + soft break + "next" + "block\n"
  EXPECT_EQ(document->accept(visitor), 4U + 5 + 2 + 1 + 4 + 1 + 4 + 1 + 1 + 4 + 6);
}

TEST(VisitorTest, VisitChildrenKeepsDocumentOrderAndUnknownNodesGiveNoResult) {
  const auto document = Markdown("aa\n\nbbbb\n\nc\n").toDocument(MarkdownOptions::default_);
  VisibleLengthVisitor visitor;
  EXPECT_EQ(visitor.visitChildren(*document), (std::vector<std::size_t>{2, 4, 1}));
  EXPECT_TRUE(visitor.visitChildren(*document->children()[0]->children()[0]).empty()) << "a text node";
  EXPECT_EQ(visitor.visit(ForeignNode(document)), std::nullopt);
  EXPECT_EQ(visitor.visit(*document), 7U);
}

}  // namespace
}  // namespace markdown

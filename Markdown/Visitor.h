#pragma once

#include "Markdown/BlockQuote.h"
#include "Markdown/ChildSequence.h"
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
#include "Markdown/NodeDispatch.h"
#include "Markdown/Paragraph.h"
#include "Markdown/SoftBreak.h"
#include "Markdown/Strong.h"
#include "Markdown/Text.h"
#include "Markdown/ThematicBreak.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace markdown {

// Turns a node tree into a Result: one operation per node class, each returning what that kind
// of node becomes. A whole tree is visited through Document::accept; every other node is
// reached through visitChildren. A visitor is used by one thread at a time.
template <class Result>
class Visitor {
 public:
  virtual ~Visitor() = default;

  virtual Result visitDocument(const Document& node) = 0;
  virtual Result visitBlockQuote(const BlockQuote& node) = 0;
  virtual Result visitList(const List& node) = 0;
  virtual Result visitItem(const Item& node) = 0;
  virtual Result visitCodeBlock(const CodeBlock& node) = 0;
  virtual Result visitHtmlBlock(const HtmlBlock& node) = 0;
  virtual Result visitCustomBlock(const CustomBlock& node) = 0;
  virtual Result visitParagraph(const Paragraph& node) = 0;
  virtual Result visitHeading(const Heading& node) = 0;
  virtual Result visitThematicBreak(const ThematicBreak& node) = 0;
  virtual Result visitText(const Text& node) = 0;
  virtual Result visitSoftBreak(const SoftBreak& node) = 0;
  virtual Result visitLineBreak(const LineBreak& node) = 0;
  virtual Result visitCode(const Code& node) = 0;
  virtual Result visitHtmlInline(const HtmlInline& node) = 0;
  virtual Result visitCustomInline(const CustomInline& node) = 0;
  virtual Result visitEmphasis(const Emphasis& node) = 0;
  virtual Result visitStrong(const Strong& node) = 0;
  virtual Result visitLink(const Link& node) = 0;
  virtual Result visitImage(const Image& node) = 0;

  // The results of visiting the node's children, in document order. The children are new
  // objects made for this walk (the node's cached children() are not used); the walk stops
  // at a child of no known kind.
  virtual std::vector<Result> visitChildren(const Node& node) {
    std::vector<Result> results;
    ChildSequence::Iterator iterator = ChildSequence(node.cmarkNode(), node.sharedTree()).makeIterator();
    while (const std::shared_ptr<Node> child = iterator.next()) {
      if (std::optional<Result> result = visit(*child)) {
        results.push_back(std::move(*result));
      }
    }
    return results;
  }

  // The visit operation of the node's class applied to it; nothing for a node of a class
  // outside the library's twenty.
  std::optional<Result> visit(const Node& node) {
    Dispatch dispatch(*this);
    node.dispatchTo(dispatch);
    return std::move(dispatch.result);
  }

 protected:
  Visitor() = default;
  Visitor(const Visitor&) = default;
  Visitor& operator=(const Visitor&) = default;

 private:
  class Dispatch final : public NodeDispatch {
   public:
    explicit Dispatch(Visitor& visitor) : visitor_(visitor) {}

    void onDocument(const Document& node) override { result.emplace(visitor_.visitDocument(node)); }
    void onBlockQuote(const BlockQuote& node) override { result.emplace(visitor_.visitBlockQuote(node)); }
    void onList(const List& node) override { result.emplace(visitor_.visitList(node)); }
    void onItem(const Item& node) override { result.emplace(visitor_.visitItem(node)); }
    void onCodeBlock(const CodeBlock& node) override { result.emplace(visitor_.visitCodeBlock(node)); }
    void onHtmlBlock(const HtmlBlock& node) override { result.emplace(visitor_.visitHtmlBlock(node)); }
    void onCustomBlock(const CustomBlock& node) override { result.emplace(visitor_.visitCustomBlock(node)); }
    void onParagraph(const Paragraph& node) override { result.emplace(visitor_.visitParagraph(node)); }
    void onHeading(const Heading& node) override { result.emplace(visitor_.visitHeading(node)); }
    void onThematicBreak(const ThematicBreak& node) override {
      result.emplace(visitor_.visitThematicBreak(node));
    }
    void onText(const Text& node) override { result.emplace(visitor_.visitText(node)); }
    void onSoftBreak(const SoftBreak& node) override { result.emplace(visitor_.visitSoftBreak(node)); }
    void onLineBreak(const LineBreak& node) override { result.emplace(visitor_.visitLineBreak(node)); }
    void onCode(const Code& node) override { result.emplace(visitor_.visitCode(node)); }
    void onHtmlInline(const HtmlInline& node) override { result.emplace(visitor_.visitHtmlInline(node)); }
    void onCustomInline(const CustomInline& node) override {
      result.emplace(visitor_.visitCustomInline(node));
    }
    void onEmphasis(const Emphasis& node) override { result.emplace(visitor_.visitEmphasis(node)); }
    void onStrong(const Strong& node) override { result.emplace(visitor_.visitStrong(node)); }
    void onLink(const Link& node) override { result.emplace(visitor_.visitLink(node)); }
    void onImage(const Image& node) override { result.emplace(visitor_.visitImage(node)); }

    std::optional<Result> result;

   private:
    Visitor& visitor_;
  };
};

}  // namespace markdown

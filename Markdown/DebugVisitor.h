#pragma once

#include "Markdown/Visitor.h"

#include <string>

namespace markdown {

// Writes a node tree as indented text, one line per node: four spaces per level, then
// "↳ " (except for the document), then the node's debug description.
//   DebugVisitor visitor;
//   std::string tree = document->accept(visitor);
// depth() is back at 0 after a complete visit, so a visitor can be used again.
class DebugVisitor : public Visitor<std::string> {
 public:
  DebugVisitor() = default;

  // The current indentation level.
  virtual int depth() const;
  virtual void setDepth(int depth);

  std::string visitDocument(const Document& node) override;
  std::string visitBlockQuote(const BlockQuote& node) override;
  std::string visitList(const List& node) override;
  std::string visitItem(const Item& node) override;
  std::string visitCodeBlock(const CodeBlock& node) override;
  std::string visitHtmlBlock(const HtmlBlock& node) override;
  std::string visitCustomBlock(const CustomBlock& node) override;
  std::string visitParagraph(const Paragraph& node) override;
  std::string visitHeading(const Heading& node) override;
  std::string visitThematicBreak(const ThematicBreak& node) override;
  std::string visitText(const Text& node) override;
  std::string visitSoftBreak(const SoftBreak& node) override;
  std::string visitLineBreak(const LineBreak& node) override;
  std::string visitCode(const Code& node) override;
  std::string visitHtmlInline(const HtmlInline& node) override;
  std::string visitCustomInline(const CustomInline& node) override;
  std::string visitEmphasis(const Emphasis& node) override;
  std::string visitStrong(const Strong& node) override;
  std::string visitLink(const Link& node) override;
  std::string visitImage(const Image& node) override;

 private:
  std::string line(const BaseNode& node, bool marked = true) const;
  std::string containerLines(const BaseNode& node, bool marked = true);

  int depth_ = 0;
};

}  // namespace markdown

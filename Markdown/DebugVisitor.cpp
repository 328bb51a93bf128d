#include "Markdown/DebugVisitor.h"

namespace markdown {

int DebugVisitor::depth() const { return depth_; }

void DebugVisitor::setDepth(int depth) { depth_ = depth; }

std::string DebugVisitor::line(const BaseNode& node, bool marked) const {
  std::string text;
  for (int level = 0; level < depth_; ++level) {
    text += "    ";
  }
  if (marked) {
    text += "\u21B3 ";
  }
  return text + node.debugDescription() + "\n";
}

std::string DebugVisitor::containerLines(const BaseNode& node, bool marked) {
  std::string text = line(node, marked);
  ++depth_;
  for (const std::string& child : visitChildren(node)) {
    text += child;
  }
  --depth_;
  return text;
}

std::string DebugVisitor::visitDocument(const Document& node) { return containerLines(node, false); }

std::string DebugVisitor::visitBlockQuote(const BlockQuote& node) { return containerLines(node); }

std::string DebugVisitor::visitList(const List& node) { return containerLines(node); }

std::string DebugVisitor::visitItem(const Item& node) { return containerLines(node); }

std::string DebugVisitor::visitCodeBlock(const CodeBlock& node) { return containerLines(node); }

std::string DebugVisitor::visitHtmlBlock(const HtmlBlock& node) { return containerLines(node); }

std::string DebugVisitor::visitCustomBlock(const CustomBlock& node) { return containerLines(node); }

std::string DebugVisitor::visitParagraph(const Paragraph& node) { return containerLines(node); }

std::string DebugVisitor::visitHeading(const Heading& node) { return containerLines(node); }

std::string DebugVisitor::visitThematicBreak(const ThematicBreak& node) { return line(node); }

std::string DebugVisitor::visitText(const Text& node) { return line(node); }

std::string DebugVisitor::visitSoftBreak(const SoftBreak& node) { return line(node); }

std::string DebugVisitor::visitLineBreak(const LineBreak& node) { return line(node); }

std::string DebugVisitor::visitCode(const Code& node) { return line(node); }

std::string DebugVisitor::visitHtmlInline(const HtmlInline& node) { return line(node); }

std::string DebugVisitor::visitCustomInline(const CustomInline& node) { return line(node); }

std::string DebugVisitor::visitEmphasis(const Emphasis& node) { return containerLines(node); }

std::string DebugVisitor::visitStrong(const Strong& node) { return containerLines(node); }

std::string DebugVisitor::visitLink(const Link& node) { return containerLines(node); }

std::string DebugVisitor::visitImage(const Image& node) { return containerLines(node); }

}  // namespace markdown

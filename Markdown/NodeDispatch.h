#pragma once

namespace markdown {

class Document;
class BlockQuote;
class List;
class Item;
class CodeBlock;
class HtmlBlock;
class CustomBlock;
class Paragraph;
class Heading;
class ThematicBreak;
class Text;
class SoftBreak;
class LineBreak;
class Code;
class HtmlInline;
class CustomInline;
class Emphasis;
class Strong;
class Link;
class Image;

// Receives a node as its own class: Node::dispatchTo calls the one operation that matches.
// Visitor uses it to reach the right visit operation without testing classes one by one.
class NodeDispatch {
 public:
  virtual ~NodeDispatch() = default;

  virtual void onDocument(const Document& node) = 0;
  virtual void onBlockQuote(const BlockQuote& node) = 0;
  virtual void onList(const List& node) = 0;
  virtual void onItem(const Item& node) = 0;
  virtual void onCodeBlock(const CodeBlock& node) = 0;
  virtual void onHtmlBlock(const HtmlBlock& node) = 0;
  virtual void onCustomBlock(const CustomBlock& node) = 0;
  virtual void onParagraph(const Paragraph& node) = 0;
  virtual void onHeading(const Heading& node) = 0;
  virtual void onThematicBreak(const ThematicBreak& node) = 0;
  virtual void onText(const Text& node) = 0;
  virtual void onSoftBreak(const SoftBreak& node) = 0;
  virtual void onLineBreak(const LineBreak& node) = 0;
  virtual void onCode(const Code& node) = 0;
  virtual void onHtmlInline(const HtmlInline& node) = 0;
  virtual void onCustomInline(const CustomInline& node) = 0;
  virtual void onEmphasis(const Emphasis& node) = 0;
  virtual void onStrong(const Strong& node) = 0;
  virtual void onLink(const Link& node) = 0;
  virtual void onImage(const Image& node) = 0;
};

}  // namespace markdown

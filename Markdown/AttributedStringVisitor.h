#pragma once

#include <memory>
#include <vector>

#include "Markdown/ListItemPrefixGenerator.h"
#include "Markdown/MarkdownOptions.h"
#include "Markdown/Styler.h"
#include "Markdown/Visitor.h"
#include "Platform/Text/AttributedString.h"

namespace markdown {

// Turns a node tree into one styled attributed string, without HTML. Each visit builds its
// node's plain text (children joined, or the node's literal), adds the separators that mark
// block ends (U+2029, after a block that has a next sibling), line breaks (U+2028) and thematic
// breaks (U+200B and a line feed), and hands the piece to the styler, inner nodes first.
// Soft breaks become U+2028 under MarkdownOptions::hardBreaks and a space otherwise. A node
// whose literal is absent gives an empty piece and no styler call.
// One rendering per visitor object, on one thread.
class AttributedStringVisitor final : public Visitor<platform::AttributedString> {
 public:
  AttributedStringVisitor(std::shared_ptr<Styler> styler, MarkdownOptions options,
                          ListPrefixGeneratorBuilder listPrefixGeneratorBuilder);

  platform::AttributedString visitDocument(const Document& node) override;
  platform::AttributedString visitBlockQuote(const BlockQuote& node) override;
  platform::AttributedString visitList(const List& node) override;
  platform::AttributedString visitItem(const Item& node) override;
  platform::AttributedString visitCodeBlock(const CodeBlock& node) override;
  platform::AttributedString visitHtmlBlock(const HtmlBlock& node) override;
  platform::AttributedString visitCustomBlock(const CustomBlock& node) override;
  platform::AttributedString visitParagraph(const Paragraph& node) override;
  platform::AttributedString visitHeading(const Heading& node) override;
  platform::AttributedString visitThematicBreak(const ThematicBreak& node) override;
  platform::AttributedString visitText(const Text& node) override;
  platform::AttributedString visitSoftBreak(const SoftBreak& node) override;
  platform::AttributedString visitLineBreak(const LineBreak& node) override;
  platform::AttributedString visitCode(const Code& node) override;
  platform::AttributedString visitHtmlInline(const HtmlInline& node) override;
  platform::AttributedString visitCustomInline(const CustomInline& node) override;
  platform::AttributedString visitEmphasis(const Emphasis& node) override;
  platform::AttributedString visitStrong(const Strong& node) override;
  platform::AttributedString visitLink(const Link& node) override;
  platform::AttributedString visitImage(const Image& node) override;

  // The generators of the lists being visited, innermost last; empty between renderings.
  std::size_t listDepth() const { return listPrefixGenerators_.size(); }

 private:
  platform::AttributedString joinedChildren(const Node& node);

  std::shared_ptr<Styler> styler_;
  MarkdownOptions options_;
  ListPrefixGeneratorBuilder listPrefixGeneratorBuilder_;
  std::vector<std::shared_ptr<ListItemPrefixGenerator>> listPrefixGenerators_;
};

}  // namespace markdown

#include "Markdown/AttributedStringVisitor.h"

#include <utility>

#include "Markdown/LiteralNode.h"
#include "Platform/Core/Unicode.h"

namespace markdown {

using platform::AttributedString;

namespace {

const std::u16string kParagraphSeparator = u"\u2029";
const std::u16string kLineSeparator = u"\u2028";
const std::string kBullet = "\u2022";

void endBlock(AttributedString& text, const Node& node) {
  if (node.hasNextSibling()) {
    text.append(AttributedString(kParagraphSeparator));
  }
}

bool isNewline(char16_t unit) { return platform::unicode::isNewline(unit); }

// A code or HTML block's text: line breaks trimmed from both ends, every inner one (blank
// lines included) turned into U+2028.
std::u16string codeBlockText(const std::string& literal) {
  std::u16string text = platform::unicode::toUTF16(platform::unicode::trimmingNewlines(literal));
  for (char16_t& unit : text) {
    if (isNewline(unit)) {
      unit = u'\u2028';
    }
  }
  return text;
}

// A node's own text, styled by one of the styler's operations; nothing when it has none.
AttributedString styledLiteral(const LiteralNode& node, Styler& styler,
                               void (Styler::*style)(AttributedString&)) {
  if (!node.literal()) {
    return {};
  }
  AttributedString text(platform::unicode::toUTF16(*node.literal()));
  (styler.*style)(text);
  return text;
}

}  // namespace

AttributedStringVisitor::AttributedStringVisitor(std::shared_ptr<Styler> styler, MarkdownOptions options,
                                                 ListPrefixGeneratorBuilder listPrefixGeneratorBuilder)
    : styler_(std::move(styler)),
      options_(options),
      listPrefixGeneratorBuilder_(std::move(listPrefixGeneratorBuilder)) {}

AttributedString AttributedStringVisitor::joinedChildren(const Node& node) {
  AttributedString joined;
  for (const AttributedString& child : visitChildren(node)) {
    joined.append(child);
  }
  return joined;
}

AttributedString AttributedStringVisitor::visitDocument(const Document& node) {
  AttributedString text = joinedChildren(node);
  styler_->styleDocument(text);
  return text;
}

AttributedString AttributedStringVisitor::visitBlockQuote(const BlockQuote& node) {
  AttributedString text = joinedChildren(node);
  endBlock(text, node);
  styler_->styleBlockQuote(text, node.nestDepth());
  return text;
}

AttributedString AttributedStringVisitor::visitList(const List& node) {
  listPrefixGenerators_.push_back(listPrefixGeneratorBuilder_(node));
  AttributedString text = joinedChildren(node);
  endBlock(text, node);
  styler_->styleList(text, node.nestDepth());
  listPrefixGenerators_.pop_back();
  return text;
}

AttributedString AttributedStringVisitor::visitItem(const Item& node) {
  AttributedString text = joinedChildren(node);
  std::optional<std::string> next;
  if (!listPrefixGenerators_.empty()) {
    next = listPrefixGenerators_.back()->next();
  }
  std::u16string prefix = platform::unicode::toUTF16(next.value_or(kBullet));
  AttributedString prefixText(prefix + u"\t");
  styler_->styleListItemPrefix(prefixText);
  text.insert(prefixText, 0);
  endBlock(text, node);
  styler_->styleItem(text, prefix.size());
  return text;
}

AttributedString AttributedStringVisitor::visitCodeBlock(const CodeBlock& node) {
  if (!node.literal()) {
    return {};
  }
  AttributedString text(codeBlockText(*node.literal()));
  endBlock(text, node);
  styler_->styleCodeBlock(text, node.fenceInfo());
  return text;
}

AttributedString AttributedStringVisitor::visitHtmlBlock(const HtmlBlock& node) {
  if (!node.literal()) {
    return {};
  }
  AttributedString text(codeBlockText(*node.literal()));
  endBlock(text, node);
  styler_->styleHtmlBlock(text);
  return text;
}

AttributedString AttributedStringVisitor::visitCustomBlock(const CustomBlock& node) {
  return styledLiteral(node, *styler_, &Styler::styleCustomBlock);
}

AttributedString AttributedStringVisitor::visitParagraph(const Paragraph& node) {
  AttributedString text = joinedChildren(node);
  endBlock(text, node);
  styler_->styleParagraph(text);
  return text;
}

AttributedString AttributedStringVisitor::visitHeading(const Heading& node) {
  AttributedString text = joinedChildren(node);
  endBlock(text, node);
  styler_->styleHeading(text, node.headingLevel());
  return text;
}

AttributedString AttributedStringVisitor::visitThematicBreak(const ThematicBreak&) {
  AttributedString text(u"\u200B\n");
  styler_->styleThematicBreak(text);
  return text;
}

AttributedString AttributedStringVisitor::visitText(const Text& node) {
  return styledLiteral(node, *styler_, &Styler::styleText);
}

AttributedString AttributedStringVisitor::visitSoftBreak(const SoftBreak&) {
  AttributedString text(options_.contains(MarkdownOptions::hardBreaks) ? kLineSeparator : u" ");
  styler_->styleSoftBreak(text);
  return text;
}

AttributedString AttributedStringVisitor::visitLineBreak(const LineBreak&) {
  AttributedString text(kLineSeparator);
  styler_->styleLineBreak(text);
  return text;
}

AttributedString AttributedStringVisitor::visitCode(const Code& node) {
  return styledLiteral(node, *styler_, &Styler::styleCode);
}

AttributedString AttributedStringVisitor::visitHtmlInline(const HtmlInline& node) {
  return styledLiteral(node, *styler_, &Styler::styleHtmlInline);
}

AttributedString AttributedStringVisitor::visitCustomInline(const CustomInline& node) {
  return styledLiteral(node, *styler_, &Styler::styleCustomInline);
}

AttributedString AttributedStringVisitor::visitEmphasis(const Emphasis& node) {
  AttributedString text = joinedChildren(node);
  styler_->styleEmphasis(text);
  return text;
}

AttributedString AttributedStringVisitor::visitStrong(const Strong& node) {
  AttributedString text = joinedChildren(node);
  styler_->styleStrong(text);
  return text;
}

AttributedString AttributedStringVisitor::visitLink(const Link& node) {
  AttributedString text = joinedChildren(node);
  styler_->styleLink(text, node.title(), node.url());
  return text;
}

AttributedString AttributedStringVisitor::visitImage(const Image& node) {
  AttributedString text = joinedChildren(node);
  styler_->styleImage(text, node.title(), node.url());
  return text;
}

}  // namespace markdown

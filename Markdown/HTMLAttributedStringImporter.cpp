#include "Markdown/HTMLAttributedStringImporter.h"

#include <gumbo.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Markdown/MarkdownErrors.h"
#include "Markdown/StyleSheetFontRules.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Core/Unicode.h"

namespace markdown {

using platform::AttributedString;

namespace {

constexpr double kBodySize = 12;
constexpr double kListIndent = 36;
constexpr double kQuoteIndent = 30;

struct GumboOutputRelease {
  void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
};

bool isBlock(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
      return true;
    default:
      return false;
  }
}

bool isMonospacedByDefault(GumboTag tag) {
  return tag == GUMBO_TAG_CODE || tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_KBD || tag == GUMBO_TAG_SAMP ||
         tag == GUMBO_TAG_TT;
}

std::optional<double> headingSize(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_H1:
      return 24;
    case GUMBO_TAG_H2:
      return 18;
    case GUMBO_TAG_H3:
      return 14;
    case GUMBO_TAG_H4:
      return 12;
    case GUMBO_TAG_H5:
      return 10;
    case GUMBO_TAG_H6:
      return 8;
    default:
      return std::nullopt;
  }
}

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// What an element passes on to what it holds.
struct Style {
  std::string family = platform::Font::defaultFamily;
  double size = kBodySize;
  bool bold = false;
  bool italic = false;
  bool preformatted = false;
  std::optional<std::string> link;
  double indent = 0;
};

struct ListState {
  bool ordered;
  long next;
};

class Importer {
 public:
  explicit Importer(StyleSheetFontRules rules) : rules_(std::move(rules)) {}

  void walk(const GumboNode& node, const Style& inherited) {
    switch (node.type) {
      case GUMBO_NODE_DOCUMENT:
        walkChildren(node.v.document.children, inherited);
        break;
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE:
        walkElement(node.v.element, inherited);
        break;
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_CDATA:
      case GUMBO_NODE_WHITESPACE:
        appendText(platform::unicode::toUTF16(node.v.text.text), inherited);
        break;
      case GUMBO_NODE_COMMENT:
        break;
    }
  }

  AttributedString take() { return std::move(text_); }

 private:
  void walkChildren(const GumboVector& children, const Style& style) {
    for (unsigned int index = 0; index < children.length; ++index) {
      walk(*static_cast<const GumboNode*>(children.data[index]), style);
    }
  }

  void walkElement(const GumboElement& element, const Style& inherited) {
    GumboTag tag = element.tag;
    if (tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_HEAD ||
        tag == GUMBO_TAG_TITLE || tag == GUMBO_TAG_IMG) {
      return;
    }
    Style style = styleFor(element, inherited);
    if (tag == GUMBO_TAG_BR) {
      append(u"\u2028", style);
      return;
    }
    bool block = isBlock(tag);
    if (block) {
      endParagraph(inherited);
    }
    if (tag == GUMBO_TAG_UL || tag == GUMBO_TAG_OL) {
      GumboAttribute* start = gumbo_get_attribute(&element.attributes, "start");
      lists_.push_back({tag == GUMBO_TAG_OL, start != nullptr ? std::strtol(start->value, nullptr, 10) : 1});
    }
    if (tag == GUMBO_TAG_LI) {
      append(marker() + u"\t", style);
    }
    walkChildren(element.children, style);
    if (tag == GUMBO_TAG_UL || tag == GUMBO_TAG_OL) {
      lists_.pop_back();
    }
    if (block) {
      endParagraph(style);
    }
  }

  Style styleFor(const GumboElement& element, const Style& inherited) const {
    Style style = inherited;
    std::string name = gumbo_normalized_tagname(element.tag);
    if (std::optional<std::string> family = rules_.familyFor(name)) {
      style.family = *family;
    } else if (isMonospacedByDefault(element.tag)) {
      style.family = platform::Font::defaultMonospaceFamily;
    }
    if (std::optional<double> size = headingSize(element.tag)) {
      style.size = *size;
      style.bold = true;
    }
    switch (element.tag) {
      case GUMBO_TAG_STRONG:
      case GUMBO_TAG_B:
        style.bold = true;
        break;
      case GUMBO_TAG_EM:
      case GUMBO_TAG_I:
        style.italic = true;
        break;
      case GUMBO_TAG_PRE:
        style.preformatted = true;
        break;
      case GUMBO_TAG_BLOCKQUOTE:
        style.indent += kQuoteIndent;
        break;
      case GUMBO_TAG_UL:
      case GUMBO_TAG_OL:
        style.indent += kListIndent;
        break;
      case GUMBO_TAG_A:
        if (GumboAttribute* href = gumbo_get_attribute(&element.attributes, "href")) {
          style.link = href->value;
        }
        break;
      default:
        break;
    }
    return style;
  }

  std::u16string marker() {
    if (lists_.empty() || !lists_.back().ordered) {
      return u"\u2022";
    }
    return platform::unicode::toUTF16(std::to_string(lists_.back().next++) + ".");
  }

  void appendText(std::u16string text, const Style& style) {
    if (!style.preformatted) {
      text = collapsed(text);
    }
    if (!text.empty()) {
      append(text, style);
    }
  }

  // White space runs become one space; none at the start of a line or after a space.
  std::u16string collapsed(const std::u16string& text) const {
    bool spaceAllowed = text_.length() > 0 && text_.string().back() != u'\n' &&
                        text_.string().back() != u'\u2028' && text_.string().back() != u' ';
    std::u16string result;
    bool pendingSpace = false;
    for (char16_t c : text) {
      if (isSpace(c)) {
        pendingSpace = true;
        continue;
      }
      if (pendingSpace && (!result.empty() || spaceAllowed)) {
        result += u' ';
      }
      pendingSpace = false;
      result += c;
    }
    if (pendingSpace && (!result.empty() || spaceAllowed)) {
      result += u' ';
    }
    return result;
  }

  void endParagraph(const Style& style) {
    if (text_.length() == 0) {
      return;
    }
    const std::u16string& characters = text_.string();
    if (characters.back() == u' ') {
      text_.replaceCharacters({text_.length() - 1, 1}, std::u16string());
    }
    if (text_.length() > 0 && text_.string().back() != u'\n') {
      append(u"\n", style);
    }
  }

  void append(const std::u16string& characters, const Style& style) {
    platform::Attributes attributes{
        {platform::AttributeName::font, platform::Font(style.family, style.size,
                                                       (style.bold ? platform::fontTraitBold : 0U) |
                                                           (style.italic ? platform::fontTraitItalic : 0U))}};
    if (style.link) {
      attributes.emplace(platform::AttributeName::link, *style.link);
    }
    if (style.indent > 0) {
      auto paragraph = std::make_shared<platform::ParagraphStyle>();
      paragraph->headIndent = style.indent;
      paragraph->firstLineHeadIndent = lists_.empty() ? style.indent : style.indent - kListIndent / 2;
      paragraph->tabStops = {{platform::TextAlignment::natural, style.indent}};
      attributes.emplace(platform::AttributeName::paragraphStyle, platform::ParagraphStyleRef(paragraph));
    }
    text_.append(AttributedString(characters, std::move(attributes)));
  }

  StyleSheetFontRules rules_;
  AttributedString text_;
  std::vector<ListState> lists_;
};

// The text of every <style> element, in document order.
void collectStyleSheets(const GumboNode& node, StyleSheetFontRules& rules) {
  if (node.type != GUMBO_NODE_ELEMENT && node.type != GUMBO_NODE_DOCUMENT) {
    return;
  }
  const GumboVector& children =
      node.type == GUMBO_NODE_DOCUMENT ? node.v.document.children : node.v.element.children;
  for (unsigned int index = 0; index < children.length; ++index) {
    const auto& child = *static_cast<const GumboNode*>(children.data[index]);
    if (node.type == GUMBO_NODE_ELEMENT && node.v.element.tag == GUMBO_TAG_STYLE &&
        child.type == GUMBO_NODE_TEXT) {
      rules.add(child.v.text.text);
    }
    collectStyleSheets(child, rules);
  }
}

}  // namespace

AttributedString HTMLAttributedStringImporter::attributedString(std::string_view html) {
  if (!platform::unicode::isValidUTF8(html)) {
    throw MarkdownErrors(MarkdownErrors::htmlDataConversionError);
  }
  std::unique_ptr<GumboOutput, GumboOutputRelease> output(
      gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()));
  StyleSheetFontRules rules;
  collectStyleSheets(*output->document, rules);
  Importer importer(std::move(rules));
  importer.walk(*output->document, Style{});
  return importer.take();
}

}  // namespace markdown

#include "Markdown/MarkdownAttributedStringRenderable.h"

#include "Markdown/AttributedStringVisitor.h"
#include "Markdown/Document.h"
#include "Markdown/HTMLAttributedStringImporter.h"
#include "Markdown/StaticListItemPrefixGenerator.h"

namespace markdown {

namespace {
const char* const kDefaultStylesheet = "* {font-family: Helvetica } code, pre { font-family: Menlo }";
}  // namespace

platform::AttributedString MarkdownAttributedStringRenderable::toAttributedString(
    MarkdownOptions options, const std::optional<std::string>& stylesheet) const {
  std::string html = toHTML(options);
  return HTMLAttributedStringImporter::attributedString("<style>" + stylesheet.value_or(kDefaultStylesheet) +
                                                        "</style>" + html);
}

platform::AttributedString MarkdownAttributedStringRenderable::toAttributedString(
    MarkdownOptions options, const std::shared_ptr<Styler>& styler) const {
  std::shared_ptr<Document> document = toDocument(options);
  AttributedStringVisitor visitor(styler, options, defaultListPrefixGeneratorBuilder);
  return document->accept(visitor);
}

}  // namespace markdown

#include "Markdown/MarkdownAttributedStringRenderable.h"

#include "Markdown/AttributedStringVisitor.h"
#include "Markdown/Document.h"
#include "Markdown/StaticListItemPrefixGenerator.h"

namespace markdown {

platform::AttributedString MarkdownAttributedStringRenderable::toAttributedString(
    MarkdownOptions options, const std::shared_ptr<Styler>& styler) const {
  std::shared_ptr<Document> document = toDocument(options);
  AttributedStringVisitor visitor(styler, options, defaultListPrefixGeneratorBuilder);
  return document->accept(visitor);
}

}  // namespace markdown

#include "Markdown/MarkdownStylerConfiguration.h"

#include "Markdown/StaticColorCollection.h"
#include "Markdown/StaticFontCollection.h"
#include "Markdown/StaticParagraphStyleCollection.h"

namespace markdown {

MarkdownStylerConfiguration MarkdownStylerConfiguration::standard() {
  return {std::make_shared<StaticFontCollection>(StaticFontCollection::standard()),
          std::make_shared<StaticColorCollection>(StaticColorCollection::standard()),
          std::make_shared<StaticParagraphStyleCollection>(),
          {},
          {},
          {},
          {}};
}

}  // namespace markdown

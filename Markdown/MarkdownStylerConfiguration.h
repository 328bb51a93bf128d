#pragma once

#include <memory>

#include "Markdown/CodeBlockOptions.h"
#include "Markdown/ColorCollection.h"
#include "Markdown/FontCollection.h"
#include "Markdown/ListItemOptions.h"
#include "Markdown/ParagraphStyleCollection.h"
#include "Markdown/QuoteStripeOptions.h"
#include "Markdown/ThematicBreakOptions.h"

namespace markdown {

// Everything that decides how styled Markdown looks. A styler copies what it needs when it is
// made; later changes to the configuration do not reach it.
struct MarkdownStylerConfiguration {
  std::shared_ptr<const FontCollection> fonts;
  std::shared_ptr<const ColorCollection> colors;
  std::shared_ptr<const ParagraphStyleCollection> paragraphStyles;
  ListItemOptions listItemOptions;
  QuoteStripeOptions quoteStripeOptions;
  ThematicBreakOptions thematicBreakOptions;
  CodeBlockOptions codeBlockOptions;

  // The standard collections with the options' default values.
  static MarkdownStylerConfiguration standard();
};

}  // namespace markdown

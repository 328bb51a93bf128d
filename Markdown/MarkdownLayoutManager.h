#pragma once

#include "Markdown/BlockBackgroundColorAttribute.h"
#include "Markdown/QuoteStripeAttribute.h"
#include "Markdown/ThematicBreakAttribute.h"
#include "Platform/Text/GraphicsContext.h"
#include "Platform/Text/LayoutManager.h"

namespace markdown {

// A layout manager that also draws what MarkdownStyler marks with custom attributes: code-block
// backgrounds behind the text, then thematic-break rules and quote stripes over it. Values of
// another type under those keys are not drawn. Without a current graphics context or a text
// storage, only what the base class draws is drawn.
class MarkdownLayoutManager : public platform::LayoutManager {
 public:
  void drawGlyphs(platform::TextRange glyphRange, platform::Point origin) override;

 protected:
  // Rules and stripes, drawn above the text.
  virtual void drawCustomAttributes(platform::TextRange glyphRange, platform::Point origin);

 private:
  void drawBlockBackground(platform::GraphicsContext& context,
                           const BlockBackgroundColorAttribute& background,
                           platform::TextRange characterRange, platform::Point origin);
  void drawThematicBreak(platform::GraphicsContext& context, const ThematicBreakAttribute& rule,
                         std::size_t location, platform::Point origin);
  void drawQuoteStripes(platform::GraphicsContext& context, const QuoteStripeAttribute& stripes,
                        platform::TextRange characterRange, platform::Point origin);
};

}  // namespace markdown

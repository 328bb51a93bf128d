#include "Markdown/MarkdownDebugLayoutManager.h"

#include "Platform/Text/GraphicsContext.h"

namespace markdown {

void MarkdownDebugLayoutManager::drawGlyphs(platform::TextRange glyphRange, platform::Point origin) {
  MarkdownLayoutManager::drawGlyphs(glyphRange, origin);
  enumerateLineFragments(glyphRange, [origin](platform::Rect rect, platform::Rect used,
                                              platform::TextContainer&, platform::TextRange) {
    auto outline = [](platform::Rect box, platform::Color color) {
      platform::GraphicsContext* context = platform::GraphicsContext::current();
      if (context == nullptr) {
        return;
      }
      context->saveGState();
      context->setStrokeColor(color);
      context->strokeRect(box);
      context->restoreGState();
    };
    outline(used.offsetBy(origin), platform::Color::blueColor());
    outline(rect.offsetBy(origin), platform::Color::redColor());
  });
}

}  // namespace markdown

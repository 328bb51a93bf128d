#include "Markdown/MarkdownLayoutManager.h"

#include <functional>
#include <string>

#include "Platform/Text/GraphicsContext.h"
#include "Platform/Text/TextStorage.h"

namespace markdown {

using platform::GraphicsContext;
using platform::Point;
using platform::Rect;
using platform::TextContainer;
using platform::TextRange;

namespace {

// Runs `draw` inside its own save and restore of the current context's state, when there is a
// current context and a text storage.
template <class Draw>
void withSavedState(const platform::LayoutManager& layout, Draw draw) {
  GraphicsContext* context = GraphicsContext::current();
  if (context == nullptr || layout.textStorage() == nullptr) {
    return;
  }
  context->saveGState();
  draw(*context, layout.textStorage()->attributedString());
  context->restoreGState();
}

template <class T>
void forEachRunOf(const platform::AttributedString& text, const std::string& key, TextRange range,
                  const std::function<void(const T&, TextRange)>& visit) {
  for (const platform::AttributeRun& run : text.runsOf(key, range)) {
    if (run.value && run.value->holds<T>()) {
      visit(*run.value->get<T>(), run.range);
    }
  }
}

}  // namespace

void MarkdownLayoutManager::drawGlyphs(TextRange glyphRange, Point origin) {
  TextRange characters = characterRange(glyphRange);
  withSavedState(*this, [&](GraphicsContext& context, const platform::AttributedString& text) {
    forEachRunOf<BlockBackgroundColorAttribute>(
        text, BlockBackgroundColorAttribute::key, characters,
        [&](const BlockBackgroundColorAttribute& background, TextRange run) {
          drawBlockBackground(context, background, run, origin);
        });
  });
  LayoutManager::drawGlyphs(glyphRange, origin);
  drawCustomAttributes(glyphRange, origin);
}

void MarkdownLayoutManager::drawCustomAttributes(TextRange glyphRange, Point origin) {
  TextRange characters = characterRange(glyphRange);
  withSavedState(*this, [&](GraphicsContext& context, const platform::AttributedString& text) {
    forEachRunOf<ThematicBreakAttribute>(text, ThematicBreakAttribute::key, characters,
                                         [&](const ThematicBreakAttribute& rule, TextRange run) {
                                           drawThematicBreak(context, rule, run.location, origin);
                                         });
  });
  withSavedState(*this, [&](GraphicsContext& context, const platform::AttributedString& text) {
    forEachRunOf<QuoteStripeAttribute>(text, QuoteStripeAttribute::key, characters,
                                       [&](const QuoteStripeAttribute& stripes, TextRange run) {
                                         drawQuoteStripes(context, stripes, run, origin);
                                       });
  });
}

void MarkdownLayoutManager::drawBlockBackground(GraphicsContext& context,
                                                const BlockBackgroundColorAttribute& background,
                                                TextRange characterRange, Point origin) {
  context.setFillColor(background.color);
  // `characterRange` is one whole run of the attribute: the block. Its first line reaches
  // `inset` above the text, its last line `inset` below.
  const TextRange block = glyphRange(characterRange);
  const double inset = background.inset;
  enumerateLineFragments(block, [&](Rect rect, Rect used, TextContainer& container, TextRange line) {
    bool opensBlock = block.location >= line.location && block.location < line.end();
    bool closesBlock = block.end() > line.location && block.end() <= line.end();
    double left = used.minX() + container.lineFragmentPadding() - inset;
    double right = rect.maxX();
    double top = opensBlock ? used.minY() - inset : rect.minY();
    double bottom = closesBlock ? used.maxY() + inset : used.maxY();
    context.fillRect({left + origin.x, top + origin.y, right - left, bottom - top});
  });
}

void MarkdownLayoutManager::drawThematicBreak(GraphicsContext& context, const ThematicBreakAttribute& rule,
                                              std::size_t location, Point origin) {
  std::size_t glyph = glyphIndexForCharacter(location);
  Rect rect = lineFragmentRect(glyph);
  Rect used = lineFragmentUsedRect(glyph);
  TextContainer* container = textContainer(glyph);
  double padding = container != nullptr ? container->lineFragmentPadding() : 0;
  // The rule runs from where the line's text starts to the fragment's right edge.
  double start = used.minX() + padding;
  Rect box = Rect{start, rect.minY(), rect.maxX() - start, rect.height}.offsetBy(origin);
  context.setStrokeColor(rule.color);
  context.setLineWidth(rule.thickness);
  context.strokeLine({box.minX(), box.midY()}, {box.maxX(), box.midY()});
}

void MarkdownLayoutManager::drawQuoteStripes(GraphicsContext& context, const QuoteStripeAttribute& stripes,
                                             TextRange characterRange, Point origin) {
  context.setFillColor(stripes.color);
  enumerateLineFragments(
      glyphRange(characterRange), [&](Rect rect, Rect, TextContainer& container, TextRange) {
        for (double location : stripes.locations) {
          context.fillRect({rect.minX() + container.lineFragmentPadding() + location + origin.x,
                            rect.minY() + origin.y, stripes.thickness, rect.height});
        }
      });
}

}  // namespace markdown

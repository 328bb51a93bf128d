#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Platform/Text/AttributedString.h"
#include "Platform/Core/Geometry.h"
#include "Platform/Text/PangoHandles.h"
#include "Platform/Text/TextContainer.h"
#include "Platform/Text/TextRange.h"

namespace platform {

struct ParagraphStyle;

class TextStorage;

// Lays the text of its text storage into its first text container with Pango, and draws it.
//
// Glyphs: glyph i stands for UTF-16 unit i of the text (the second half of a surrogate pair is a
// glyph that draws nothing), so glyph and character ranges are the same numbers; the conversions
// exist so that callers say which one they mean.
//
// Line fragments, in container coordinates (points, y down): each line of text gets a fragment
// rectangle across the container's full width, holding its paragraph's spacing before (first
// line) and after (last line), and a used rectangle around the line itself: it starts at the
// line's indent, is as wide as the line plus the padding at both ends, and as tall as the line
// plus its line spacing. Glyphs start at usedRect.x + padding. Paragraphs end at LF, CR, CR LF or
// U+2029; U+2028 breaks the line inside a paragraph. A paragraph is laid out with the paragraph
// style of its first character; text without a font is set in the system font at 12 points.
//
// Layout is made on first need and kept until the text or the container changes.
// Not thread-safe; use a layout manager on one thread.
class LayoutManager {
 public:
  struct LineFragment {
    Rect rect;
    Rect usedRect;
    TextRange glyphRange;
  };
  using LineFragmentVisitor =
      std::function<void(Rect rect, Rect usedRect, TextContainer& container, TextRange glyphRange)>;

  LayoutManager();
  virtual ~LayoutManager();
  LayoutManager(const LayoutManager&) = delete;
  LayoutManager& operator=(const LayoutManager&) = delete;

  // The storage whose text is laid out, or null; set by TextStorage::addLayoutManager.
  TextStorage* textStorage() const { return textStorage_; }
  void setTextStorage(TextStorage* storage);

  void addTextContainer(std::shared_ptr<TextContainer> container);
  const std::vector<std::shared_ptr<TextContainer>>& textContainers() const { return textContainers_; }
  void invalidateLayout();

  // Attributes laid over every run that carries a link, for display only (the text keeps its
  // own); empty by default.
  const Attributes& linkAttributes() const { return linkAttributes_; }
  void setLinkAttributes(Attributes attributes);

  std::size_t numberOfGlyphs() const;
  TextRange glyphRange(TextRange characterRange, TextRange* actualCharacterRange = nullptr) const;
  TextRange characterRange(TextRange glyphRange, TextRange* actualGlyphRange = nullptr) const;
  std::size_t glyphIndexForCharacter(std::size_t characterIndex) const;

  // The fragment holding glyph `glyphIndex` (the last fragment when the index is at the end).
  // Without layout (no text or no container) the rectangles are empty and the range is {0, 0}.
  Rect lineFragmentRect(std::size_t glyphIndex, TextRange* effectiveGlyphRange = nullptr) const;
  Rect lineFragmentUsedRect(std::size_t glyphIndex, TextRange* effectiveGlyphRange = nullptr) const;
  TextContainer* textContainer(std::size_t glyphIndex, TextRange* effectiveGlyphRange = nullptr) const;
  // Calls `visit` for each fragment that holds a glyph of `glyphRange`, in order.
  void enumerateLineFragments(TextRange glyphRange, const LineFragmentVisitor& visit) const;
  const std::vector<LineFragment>& lineFragments() const;
  // Where glyph `glyphIndex` starts: its left edge and the top of its line, container coordinates.
  Point locationForGlyph(std::size_t glyphIndex) const;
  // The union of all used rectangles.
  Rect usedRect() const;

  // Draws the paragraphs holding `glyphRange` into the current graphics context, offset by `origin`;
  // does nothing without a current context. Subclasses draw more around it.
  virtual void drawGlyphs(TextRange glyphRange, Point origin);

 private:
  struct Paragraph;

  void ensureLayout() const;
  void layOutParagraph(TextRange range, std::size_t contentLength, double& top) const;
  // The phases of layOutParagraph that need the manager: the paragraph's text with its character
  // attributes into its layout, and the layout's lines into fragments_ from `top` on.
  void setParagraphText(Paragraph& paragraph, std::size_t contentLength) const;
  void appendLineFragments(Paragraph& paragraph, const ParagraphStyle& style, double layoutLeft,
                           double& top) const;
  const LineFragment* fragmentFor(std::size_t glyphIndex) const;

  TextStorage* textStorage_ = nullptr;
  Attributes linkAttributes_;
  std::vector<std::shared_ptr<TextContainer>> textContainers_;
  mutable bool valid_ = false;
  mutable std::vector<Paragraph> paragraphs_;
  mutable std::vector<LineFragment> fragments_;
};

}  // namespace platform

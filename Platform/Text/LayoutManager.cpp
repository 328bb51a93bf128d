#include "Platform/Text/LayoutManager.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Color.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/GraphicsContext.h"
#include "Platform/Text/ParagraphStyleRef.h"
#include "Platform/Text/TextStorage.h"
#include "Platform/Core/Unicode.h"

namespace platform {

namespace {

constexpr double kDefaultFontSize = 12;
constexpr double kDefaultTabInterval = 28;

bool isParagraphEnd(char16_t c) { return c == u'\n' || c == u'\r' || c == u'\u2029'; }

Font fontOf(const Attributes& attributes) {
  auto found = attributes.find(AttributeName::font);
  if (found != attributes.end()) {
    if (const Font* font = found->second.get<Font>()) {
      return *font;
    }
  }
  return Font::system(kDefaultFontSize);
}

ParagraphStyle paragraphStyleOf(const Attributes& attributes) {
  auto found = attributes.find(AttributeName::paragraphStyle);
  if (found != attributes.end()) {
    if (const auto* style = found->second.get<ParagraphStyleRef>()) {
      return **style;
    }
  }
  return {};
}

guint16 colorComponent(double value) {
  return static_cast<guint16>(std::clamp(value, 0.0, 1.0) * 65535.0 + 0.5);
}

void insertRanged(PangoAttrList& list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(&list, attribute);
}

// Sets the layout's first-line indent, wrapping width and alignment from `style` for a text area
// of `container`'s width less its padding (no wrapping in a container of width 0). Returns the
// layout's left edge in the text area: the smaller of the two head indents.
double applyParagraphStyle(PangoLayout& layout, const ParagraphStyle& style, const TextContainer& container) {
  const double areaWidth = container.size().width - 2 * container.lineFragmentPadding();
  const double layoutLeft = std::min(style.firstLineHeadIndent, style.headIndent);
  pango_layout_set_indent(&layout, toPangoUnits(style.firstLineHeadIndent - style.headIndent));
  if (container.size().width > 0) {
    double rightEdge = style.tailIndent > 0 ? style.tailIndent : areaWidth + style.tailIndent;
    pango_layout_set_width(&layout, toPangoUnits(std::max(1.0, rightEdge - layoutLeft)));
    pango_layout_set_wrap(&layout, PANGO_WRAP_WORD_CHAR);
  }
  switch (style.alignment) {
    case TextAlignment::right:
      pango_layout_set_alignment(&layout, PANGO_ALIGN_RIGHT);
      break;
    case TextAlignment::center:
      pango_layout_set_alignment(&layout, PANGO_ALIGN_CENTER);
      break;
    case TextAlignment::justified:
      pango_layout_set_justify(&layout, TRUE);
      break;
    case TextAlignment::left:
    case TextAlignment::natural:
      pango_layout_set_alignment(&layout, PANGO_ALIGN_LEFT);
      break;
  }
  pango_layout_set_spacing(&layout, toPangoUnits(style.lineSpacing));
  return layoutLeft;
}

// Sets the style's tab stops, or two default ones. Tab stops are measured from the text area's
// left edge, the layout's from its own (`layoutLeft` further right).
void applyTabStops(PangoLayout& layout, const ParagraphStyle& style, double layoutLeft) {
  std::vector<TextTab> tabs = style.tabStops;
  if (tabs.empty()) {
    tabs = {{TextAlignment::natural, kDefaultTabInterval}, {TextAlignment::natural, 2 * kDefaultTabInterval}};
  }
  TabArrayHandle tabArray(pango_tab_array_new(static_cast<gint>(tabs.size()), FALSE));
  for (std::size_t index = 0; index < tabs.size(); ++index) {
    pango_tab_array_set_tab(tabArray.get(), static_cast<gint>(index), PANGO_TAB_LEFT,
                            toPangoUnits(std::max(0.0, tabs[index].location - layoutLeft)));
  }
  pango_layout_set_tabs(&layout, tabArray.get());
}

// One stretch of a paragraph with the same attributes, with where it starts in both encodings.
struct Piece {
  std::size_t utf16Start;
  std::size_t byteStart;
  std::string utf8;
};

}  // namespace

struct LayoutManager::Paragraph {
  TextRange range;  // with its terminator
  PangoLayoutHandle layout;
  Point layoutOrigin;  // container coordinates of the layout's top left
  std::vector<Piece> pieces;

  std::size_t byteIndexOf(std::size_t utf16Offset) const {
    auto piece = std::upper_bound(pieces.begin(), pieces.end(), utf16Offset,
                                  [](std::size_t offset, const Piece& p) { return offset < p.utf16Start; });
    if (piece == pieces.begin()) {
      return 0;
    }
    --piece;
    return piece->byteStart + unicode::byteOffset(piece->utf8, utf16Offset - piece->utf16Start);
  }

  std::size_t utf16OffsetOf(std::size_t byteIndex) const {
    auto piece = std::upper_bound(pieces.begin(), pieces.end(), byteIndex,
                                  [](std::size_t index, const Piece& p) { return index < p.byteStart; });
    if (piece == pieces.begin()) {
      return 0;
    }
    --piece;
    return piece->utf16Start + unicode::utf16Offset(piece->utf8, byteIndex - piece->byteStart);
  }
};

LayoutManager::LayoutManager() = default;
LayoutManager::~LayoutManager() = default;

void LayoutManager::setTextStorage(TextStorage* storage) {
  textStorage_ = storage;
  invalidateLayout();
}

void LayoutManager::addTextContainer(std::shared_ptr<TextContainer> container) {
  container->setLayoutManager(this);
  textContainers_.push_back(std::move(container));
  invalidateLayout();
}

void LayoutManager::invalidateLayout() {
  valid_ = false;
  paragraphs_.clear();
  fragments_.clear();
}

void LayoutManager::setLinkAttributes(Attributes attributes) {
  linkAttributes_ = std::move(attributes);
  invalidateLayout();
}

std::size_t LayoutManager::numberOfGlyphs() const {
  return textStorage_ != nullptr ? textStorage_->length() : 0;
}

TextRange LayoutManager::glyphRange(TextRange characterRange, TextRange* actualCharacterRange) const {
  std::size_t count = numberOfGlyphs();
  std::size_t start = std::min(characterRange.location, count);
  TextRange clipped{start, std::min(characterRange.length, count - start)};
  if (actualCharacterRange != nullptr) {
    *actualCharacterRange = clipped;
  }
  return clipped;
}

TextRange LayoutManager::characterRange(TextRange glyphRange, TextRange* actualGlyphRange) const {
  return this->glyphRange(glyphRange, actualGlyphRange);
}

std::size_t LayoutManager::glyphIndexForCharacter(std::size_t characterIndex) const {
  return std::min(characterIndex, numberOfGlyphs());
}

void LayoutManager::ensureLayout() const {
  if (valid_) {
    return;
  }
  valid_ = true;
  if (textStorage_ == nullptr || textContainers_.empty()) {
    return;
  }
  const std::u16string& text = textStorage_->attributedString().string();
  double top = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && !isParagraphEnd(text[end])) {
      ++end;
    }
    std::size_t contentLength = end - start;
    if (end < text.size()) {
      end += (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1;
    }
    layOutParagraph({start, end - start}, contentLength, top);
    start = end;
  }
}

// A paragraph is laid out in four phases: its text and character attributes go into a Pango
// layout, its paragraph style sets the layout's indents, width and alignment, its tab stops are
// set, and the layout's lines become line fragments below `top`.
void LayoutManager::layOutParagraph(TextRange range, std::size_t contentLength, double& top) const {
  const TextContainer& container = *textContainers_.front();
  const Attributes& first = textStorage_->attributedString().attributes(range.location);
  const ParagraphStyle style = paragraphStyleOf(first);

  Paragraph paragraph;
  paragraph.range = range;
  paragraph.layout.reset(pango_layout_new(threadPangoContext()));
  setParagraphText(paragraph, contentLength);
  // An empty paragraph still has the height of its terminator's font.
  pango_layout_set_font_description(paragraph.layout.get(), fontOf(first).pangoDescription().get());
  const double layoutLeft = applyParagraphStyle(*paragraph.layout, style, container);
  applyTabStops(*paragraph.layout, style, layoutLeft);
  appendLineFragments(paragraph, style, layoutLeft, top);
  paragraphs_.push_back(std::move(paragraph));
}

void LayoutManager::setParagraphText(Paragraph& paragraph, std::size_t contentLength) const {
  const AttributedString& text = textStorage_->attributedString();
  const TextRange range = paragraph.range;
  std::string utf8;
  AttrListHandle attributes(pango_attr_list_new());
  text.enumerateAttributes({range.location, contentLength}, [&](const Attributes& stored, TextRange run) {
    Attributes runAttributes = stored;
    if (runAttributes.count(AttributeName::link) != 0) {
      for (const auto& [key, value] : linkAttributes_) {
        runAttributes.insert_or_assign(key, value);
      }
    }
    Piece piece{run.location - range.location, utf8.size(),
                unicode::toUTF8(std::u16string_view(text.string()).substr(run.location, run.length))};
    std::size_t byteEnd = piece.byteStart + piece.utf8.size();
    insertRanged(*attributes, pango_attr_font_desc_new(fontOf(runAttributes).pangoDescription().get()),
                 piece.byteStart, byteEnd);
    auto color = runAttributes.find(AttributeName::foregroundColor);
    if (color != runAttributes.end() && color->second.holds<Color>()) {
      const Color& c = *color->second.get<Color>();
      insertRanged(
          *attributes,
          pango_attr_foreground_new(colorComponent(c.red), colorComponent(c.green), colorComponent(c.blue)),
          piece.byteStart, byteEnd);
      insertRanged(*attributes, pango_attr_foreground_alpha_new(colorComponent(c.alpha)), piece.byteStart,
                   byteEnd);
    }
    utf8 += piece.utf8;
    paragraph.pieces.push_back(std::move(piece));
  });
  pango_layout_set_text(paragraph.layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
  pango_layout_set_attributes(paragraph.layout.get(), attributes.get());
}

void LayoutManager::appendLineFragments(Paragraph& paragraph, const ParagraphStyle& style, double layoutLeft,
                                        double& top) const {
  const TextContainer& container = *textContainers_.front();
  const double padding = container.lineFragmentPadding();
  const TextRange range = paragraph.range;
  PangoLayout* layout = paragraph.layout.get();
  double paragraphTop = top;
  paragraph.layoutOrigin = {padding + layoutLeft, paragraphTop + style.paragraphSpacingBefore};
  LayoutIterHandle iterator(pango_layout_get_iter(layout));
  int lineCount = pango_layout_get_line_count(layout);
  for (int lineIndex = 0; lineIndex < lineCount; ++lineIndex) {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iterator.get(), nullptr, &logical);
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iterator.get());
    bool firstLine = lineIndex == 0;
    bool lastLine = lineIndex + 1 == lineCount;
    double lineTop = paragraph.layoutOrigin.y + fromPangoUnits(logical.y);
    double lineHeight = fromPangoUnits(logical.height) + style.lineSpacing;
    double fragmentTop = firstLine ? paragraphTop : lineTop;
    double fragmentBottom = lineTop + lineHeight + (lastLine ? style.paragraphSpacing : 0);
    std::size_t glyphStart =
        range.location + paragraph.utf16OffsetOf(static_cast<std::size_t>(line->start_index));
    std::size_t glyphEnd =
        lastLine ? range.end()
                 : range.location +
                       paragraph.utf16OffsetOf(static_cast<std::size_t>(line->start_index + line->length));
    LineFragment fragment;
    fragment.rect = {0, fragmentTop,
                     container.size().width > 0 ? container.size().width
                                                : fromPangoUnits(logical.width) + 2 * padding + layoutLeft,
                     fragmentBottom - fragmentTop};
    fragment.usedRect = {layoutLeft + fromPangoUnits(logical.x), lineTop,
                         fromPangoUnits(logical.width) + 2 * padding, lineHeight};
    fragment.glyphRange = {glyphStart, glyphEnd - glyphStart};
    fragments_.push_back(fragment);
    top = fragmentBottom;
    pango_layout_iter_next_line(iterator.get());
  }
}

const std::vector<LayoutManager::LineFragment>& LayoutManager::lineFragments() const {
  ensureLayout();
  return fragments_;
}

const LayoutManager::LineFragment* LayoutManager::fragmentFor(std::size_t glyphIndex) const {
  ensureLayout();
  if (fragments_.empty()) {
    return nullptr;
  }
  auto after = std::upper_bound(
      fragments_.begin(), fragments_.end(), glyphIndex,
      [](std::size_t index, const LineFragment& f) { return index < f.glyphRange.location; });
  return after == fragments_.begin() ? &fragments_.front() : &*(after - 1);
}

Rect LayoutManager::lineFragmentRect(std::size_t glyphIndex, TextRange* effectiveGlyphRange) const {
  const LineFragment* fragment = fragmentFor(glyphIndex);
  if (effectiveGlyphRange != nullptr) {
    *effectiveGlyphRange = fragment != nullptr ? fragment->glyphRange : TextRange{};
  }
  return fragment != nullptr ? fragment->rect : Rect{};
}

Rect LayoutManager::lineFragmentUsedRect(std::size_t glyphIndex, TextRange* effectiveGlyphRange) const {
  const LineFragment* fragment = fragmentFor(glyphIndex);
  if (effectiveGlyphRange != nullptr) {
    *effectiveGlyphRange = fragment != nullptr ? fragment->glyphRange : TextRange{};
  }
  return fragment != nullptr ? fragment->usedRect : Rect{};
}

TextContainer* LayoutManager::textContainer(std::size_t glyphIndex, TextRange* effectiveGlyphRange) const {
  const LineFragment* fragment = fragmentFor(glyphIndex);
  if (effectiveGlyphRange != nullptr) {
    *effectiveGlyphRange = fragment != nullptr ? fragment->glyphRange : TextRange{};
  }
  return fragment != nullptr ? textContainers_.front().get() : nullptr;
}

void LayoutManager::enumerateLineFragments(TextRange glyphRange, const LineFragmentVisitor& visit) const {
  ensureLayout();
  if (textContainers_.empty()) {
    return;
  }
  for (const LineFragment& fragment : fragments_) {
    bool touches = glyphRange.length == 0 ? fragment.glyphRange.contains(glyphRange.location)
                                          : fragment.glyphRange.location < glyphRange.end() &&
                                                glyphRange.location < fragment.glyphRange.end();
    if (touches) {
      visit(fragment.rect, fragment.usedRect, *textContainers_.front(), fragment.glyphRange);
    }
  }
}

Point LayoutManager::locationForGlyph(std::size_t glyphIndex) const {
  ensureLayout();
  for (const Paragraph& paragraph : paragraphs_) {
    if (glyphIndex >= paragraph.range.location && glyphIndex < paragraph.range.end()) {
      PangoRectangle position;
      int byteIndex = static_cast<int>(paragraph.byteIndexOf(glyphIndex - paragraph.range.location));
      pango_layout_index_to_pos(paragraph.layout.get(), byteIndex, &position);
      return {paragraph.layoutOrigin.x + fromPangoUnits(position.x),
              paragraph.layoutOrigin.y + fromPangoUnits(position.y)};
    }
  }
  throw std::out_of_range("layout manager: glyph index outside the text");
}

Rect LayoutManager::usedRect() const {
  ensureLayout();
  Rect united;
  bool first = true;
  for (const LineFragment& fragment : fragments_) {
    if (first) {
      united = fragment.usedRect;
      first = false;
      continue;
    }
    double minX = std::min(united.minX(), fragment.usedRect.minX());
    double minY = std::min(united.minY(), fragment.usedRect.minY());
    double maxX = std::max(united.maxX(), fragment.usedRect.maxX());
    double maxY = std::max(united.maxY(), fragment.usedRect.maxY());
    united = {minX, minY, maxX - minX, maxY - minY};
  }
  return united;
}

void LayoutManager::drawGlyphs(TextRange glyphRange, Point origin) {
  GraphicsContext* context = GraphicsContext::current();
  if (context == nullptr) {
    return;
  }
  ensureLayout();
  context->saveGState();
  context->setFillColor(Color::blackColor());
  for (const Paragraph& paragraph : paragraphs_) {
    bool touches = paragraph.range.location < glyphRange.end() && glyphRange.location < paragraph.range.end();
    if (touches) {
      context->drawLayout(*paragraph.layout,
                          {origin.x + paragraph.layoutOrigin.x, origin.y + paragraph.layoutOrigin.y});
    }
  }
  context->restoreGState();
}

}  // namespace platform

#pragma once

#include "Markdown/MarkdownLayoutManager.h"

namespace markdown {

// MarkdownLayoutManager that also outlines every line fragment, for checking layout by eye:
// the used rectangle in blue inside the fragment rectangle in red.
class MarkdownDebugLayoutManager : public MarkdownLayoutManager {
 public:
  void drawGlyphs(platform::TextRange glyphRange, platform::Point origin) override;
};

}  // namespace markdown

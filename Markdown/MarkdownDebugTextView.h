#pragma once

#include "Markdown/MarkdownTextView.h"

namespace markdown {

// A MarkdownTextView over MarkdownDebugLayoutManager, which also outlines every line fragment.
class MarkdownDebugTextView final : public MarkdownTextView {
 public:
  MarkdownDebugTextView(platform::Rect frame, std::shared_ptr<Styler> styler);
};

}  // namespace markdown

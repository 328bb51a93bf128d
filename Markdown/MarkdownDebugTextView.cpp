#include "Markdown/MarkdownDebugTextView.h"

#include <utility>

#include "Markdown/MarkdownDebugLayoutManager.h"

namespace markdown {

MarkdownDebugTextView::MarkdownDebugTextView(platform::Rect frame, std::shared_ptr<Styler> styler)
    : MarkdownTextView(frame, std::move(styler), std::make_shared<MarkdownDebugLayoutManager>()) {}

}  // namespace markdown

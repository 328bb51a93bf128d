#include "Markdown/MarkdownTextView.h"

#include <utility>

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Markdown/MarkdownLayoutManager.h"
#include "Platform/Text/TextStorage.h"
#include "Platform/Core/Unicode.h"

namespace markdown {

namespace {

// A new storage and container joined by `layoutManager`, as the view's base needs them.
std::shared_ptr<platform::TextContainer> joined(
    const std::shared_ptr<platform::TextStorage>& storage,
    const std::shared_ptr<platform::LayoutManager>& layoutManager) {
  auto container = std::make_shared<platform::TextContainer>();
  storage->addLayoutManager(layoutManager);
  layoutManager->addTextContainer(container);
  return container;
}

}  // namespace

MarkdownTextView::MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler,
                                   std::shared_ptr<platform::LayoutManager> layoutManager)
    : MarkdownTextView(frame, std::move(styler), std::make_shared<platform::TextStorage>(),
                       std::move(layoutManager)) {}

MarkdownTextView::MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler)
    : MarkdownTextView(frame, std::move(styler), std::make_shared<MarkdownLayoutManager>()) {}

MarkdownTextView::MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler,
                                   std::shared_ptr<platform::TextStorage> storage,
                                   std::shared_ptr<platform::LayoutManager> layoutManager)
    : TextView(frame, storage, joined(storage, layoutManager)), styler_(std::move(styler)) {
  setLinkTextAttributes({});
}

void MarkdownTextView::setStyler(std::shared_ptr<Styler> styler) {
  styler_ = std::move(styler);
  try {
    render();
  } catch (const MarkdownErrors&) {
    // The view keeps what it showed; render() reports the error to callers that ask for it.
  }
}

void MarkdownTextView::setString(const std::u16string& markdown) {
  if (markdown == markdown_) {
    return;
  }
  markdown_ = markdown;
  TextView::setString(markdown);
  try {
    render();
  } catch (const MarkdownErrors&) {
    // The plain text just assigned stays in view.
  }
}

void MarkdownTextView::render() {
  platform::AttributedString rendered =
      Markdown(platform::unicode::toUTF8(markdown_)).toAttributedString(MarkdownOptions::default_, styler_);
  textStorage()->replaceCharacters({0, textStorage()->length()}, rendered);
}

}  // namespace markdown

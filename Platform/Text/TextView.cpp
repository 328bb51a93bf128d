#include "Platform/Text/TextView.h"

#include <stdexcept>
#include <utility>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Color.h"

namespace platform {

TextView::TextView(Rect frame, std::shared_ptr<TextStorage> storage, std::shared_ptr<TextContainer> container)
    : frame_(frame), storage_(std::move(storage)), container_(std::move(container)) {
  if (!storage_ || !container_ || container_->layoutManager() == nullptr ||
      container_->layoutManager()->textStorage() != storage_.get()) {
    throw std::invalid_argument("TextView: the container must belong to a layout manager of the storage");
  }
  container_->setSize({frame.width, 0});
  setLinkTextAttributes({{AttributeName::foregroundColor, Color::blueColor()}});
}

std::u16string TextView::string() const { return storage_->attributedString().string(); }

void TextView::setString(const std::u16string& text) {
  storage_->replaceCharacters({0, storage_->length()}, AttributedString(text));
}

const Attributes& TextView::linkTextAttributes() const { return layoutManager()->linkAttributes(); }

void TextView::setLinkTextAttributes(Attributes attributes) {
  layoutManager()->setLinkAttributes(std::move(attributes));
}

void TextView::draw(GraphicsContext& context, Point origin) const {
  GraphicsContext::Current current(&context);
  layoutManager()->drawGlyphs({0, layoutManager()->numberOfGlyphs()}, origin);
}

}  // namespace platform

#include "Platform/Text/TextStorage.h"

#include "Platform/Text/LayoutManager.h"

namespace platform {

TextStorage::~TextStorage() {
  for (const auto& layoutManager : layoutManagers_) {
    layoutManager->setTextStorage(nullptr);
  }
}

void TextStorage::replaceCharacters(TextRange range, const AttributedString& replacement) {
  text_.replaceCharacters(range, replacement);
  textDidChange();
}

void TextStorage::setAttributedString(AttributedString text) {
  text_ = std::move(text);
  textDidChange();
}

void TextStorage::edit(const std::function<void(AttributedString&)>& change) {
  change(text_);
  textDidChange();
}

void TextStorage::addLayoutManager(std::shared_ptr<LayoutManager> layoutManager) {
  layoutManager->setTextStorage(this);
  layoutManagers_.push_back(std::move(layoutManager));
}

void TextStorage::textDidChange() {
  for (const auto& layoutManager : layoutManagers_) {
    layoutManager->invalidateLayout();
  }
}

}  // namespace platform

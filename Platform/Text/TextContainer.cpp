#include "Platform/Text/TextContainer.h"

#include "Platform/Text/LayoutManager.h"

namespace platform {

void TextContainer::setSize(Size size) {
  size_ = size;
  if (layoutManager_ != nullptr) {
    layoutManager_->invalidateLayout();
  }
}

void TextContainer::setLineFragmentPadding(double padding) {
  lineFragmentPadding_ = padding;
  if (layoutManager_ != nullptr) {
    layoutManager_->invalidateLayout();
  }
}

}  // namespace platform

#include "Platform/Desktop/Pasteboard.h"

#include <iterator>

namespace platform {

std::int64_t Pasteboard::clearContents() {
  std::lock_guard lock(mutex_);
  items_.clear();
  return ++changeCount_;
}

void Pasteboard::writeObjects(std::vector<PasteboardItem> items) {
  std::lock_guard lock(mutex_);
  items_.insert(items_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

std::vector<PasteboardItem> Pasteboard::pasteboardItems() const {
  std::lock_guard lock(mutex_);
  return items_;
}

std::optional<std::string> Pasteboard::string() const {
  std::lock_guard lock(mutex_);
  for (const auto& item : items_) {
    if (const auto text = item.find(plainTextType); text != item.end()) return text->second;
  }
  return std::nullopt;
}

std::int64_t Pasteboard::changeCount() const {
  std::lock_guard lock(mutex_);
  return changeCount_;
}

}  // namespace platform

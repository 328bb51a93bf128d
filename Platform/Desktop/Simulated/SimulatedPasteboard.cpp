#include "Platform/Desktop/Simulated/SimulatedPasteboard.h"

#include <iterator>

namespace platform {

std::int64_t SimulatedPasteboard::clearContents() {
  std::lock_guard lock(mutex_);
  items_.clear();
  return ++changeCount_;
}

void SimulatedPasteboard::writeObjects(std::vector<PasteboardItem> items) {
  std::lock_guard lock(mutex_);
  items_.insert(items_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

std::vector<PasteboardItem> SimulatedPasteboard::pasteboardItems() const {
  std::lock_guard lock(mutex_);
  return items_;
}

std::optional<std::string> SimulatedPasteboard::string() const {
  std::lock_guard lock(mutex_);
  for (const auto& item : items_) {
    if (const auto text = item.find(plainTextType); text != item.end()) return text->second;
  }
  return std::nullopt;
}

std::int64_t SimulatedPasteboard::changeCount() const {
  std::lock_guard lock(mutex_);
  return changeCount_;
}

}  // namespace platform

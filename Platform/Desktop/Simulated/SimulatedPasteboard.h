#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/Pasteboard.h"

namespace platform {

// The general pasteboard of the simulated desktop: a list of items, each holding its content
// in several types at once. Thread-safe.
class SimulatedPasteboard final : public Pasteboard {
 public:
  // Empties the pasteboard; answers the new change count.
  std::int64_t clearContents() override;
  // Adds the items after those already there.
  void writeObjects(std::vector<PasteboardItem> items) override;
  std::vector<PasteboardItem> pasteboardItems() const override;
  // The plain text of the first item that has one.
  std::optional<std::string> string() const override;
  // Counts every clear, as the desktop does, so that readers notice a change.
  std::int64_t changeCount() const override;

 private:
  mutable std::mutex mutex_;
  std::vector<PasteboardItem> items_;
  std::int64_t changeCount_ = 0;
};

}  // namespace platform

#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One pasteboard item: its contents by type, each as bytes.
using PasteboardItem = std::map<std::string, std::string>;

// The general pasteboard of the simulated desktop: a list of items, each holding its content
// in several types at once. Thread-safe.
class Pasteboard {
 public:
  // Content types.
  static constexpr const char* plainTextType = "public.utf8-plain-text";
  static constexpr const char* htmlType = "public.html";
  static constexpr const char* rtfType = "public.rtf";
  static constexpr const char* pngType = "public.png";
  static constexpr const char* fileURLType = "public.file-url";

  // Empties the pasteboard; answers the new change count.
  std::int64_t clearContents();
  // Adds the items after those already there.
  void writeObjects(std::vector<PasteboardItem> items);
  std::vector<PasteboardItem> pasteboardItems() const;
  // The plain text of the first item that has one.
  std::optional<std::string> string() const;
  // Counts every clear, as the desktop does, so that readers notice a change.
  std::int64_t changeCount() const;

 private:
  mutable std::mutex mutex_;
  std::vector<PasteboardItem> items_;
  std::int64_t changeCount_ = 0;
};

}  // namespace platform

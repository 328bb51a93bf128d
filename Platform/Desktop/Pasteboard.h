#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One pasteboard item: its contents by type, each as bytes.
using PasteboardItem = std::map<std::string, std::string>;

// The general pasteboard (the clipboard): a list of items, each holding its content in several
// types at once. Types are the desktop's names below, or any other name the desktop uses for
// a type, kept as it is. Implementations are thread-safe.
class Pasteboard {
 public:
  // Content types.
  static constexpr const char* plainTextType = "public.utf8-plain-text";
  static constexpr const char* htmlType = "public.html";
  static constexpr const char* rtfType = "public.rtf";
  static constexpr const char* pngType = "public.png";
  static constexpr const char* fileURLType = "public.file-url";

  virtual ~Pasteboard() = default;

  // Empties the pasteboard; answers the new change count.
  virtual std::int64_t clearContents() = 0;
  // Adds the items after those already there.
  virtual void writeObjects(std::vector<PasteboardItem> items) = 0;
  virtual std::vector<PasteboardItem> pasteboardItems() const = 0;
  // The plain text of the first item that has one.
  virtual std::optional<std::string> string() const = 0;
  // Grows at every change, so that readers notice one.
  virtual std::int64_t changeCount() const = 0;
};

}  // namespace platform

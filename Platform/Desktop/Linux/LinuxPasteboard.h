#pragma once

#include <atomic>
#include <memory>

#include "Platform/Desktop/Pasteboard.h"

namespace platform {

class DesktopThread;

// The CLIPBOARD selection through GTK, on the desktop thread. The clipboard holds one item; its
// types are the owner's targets, kept under their X11 names ("UTF8_STRING", "text/html", ...),
// so that every target read is written back as it was. The desktop's plain-text and HTML types
// are offered under their X11 targets when written. What this process puts on the clipboard is
// served by it, from the desktop thread's main loop, for as long as it stays the owner.
// Thread-safe.
class LinuxPasteboard final : public Pasteboard {
 public:
  explicit LinuxPasteboard(std::shared_ptr<DesktopThread> desktop);

  // Takes the clipboard over with nothing on it, so that a later copy by another application
  // shows as new text.
  std::int64_t clearContents() override;
  void writeObjects(std::vector<PasteboardItem> items) override;
  std::vector<PasteboardItem> pasteboardItems() const override;
  std::optional<std::string> string() const override;
  std::int64_t changeCount() const override;

 private:
  const std::shared_ptr<DesktopThread> desktop_;
  std::shared_ptr<std::atomic<std::int64_t>> changes_;
};

}  // namespace platform

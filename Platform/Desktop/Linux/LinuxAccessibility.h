#pragma once

#include <memory>
#include <mutex>

#include "Platform/Desktop/Accessibility.h"

namespace platform {

class DesktopThread;

// Accessibility through AT-SPI 2 (libatspi), on the desktop thread.
//
// The process is trusted while the accessibility bus answers and `org.a11y.Status.IsEnabled` is
// true. The system-wide element's "AXFocusedUIElement" is the deepest focused object of the
// last object that announced it took the focus ("object:state-changed:focused"); before any
// announcement, the focused object under the active window of any application. Elements are
// AT-SPI objects (see LinuxAccessibilityElement.h). Thread-safe.
class LinuxAccessibility final : public Accessibility {
 public:
  // Listens to focus events from now on.
  explicit LinuxAccessibility(std::shared_ptr<DesktopThread> desktop);
  ~LinuxAccessibility() override;
  LinuxAccessibility(const LinuxAccessibility&) = delete;
  LinuxAccessibility& operator=(const LinuxAccessibility&) = delete;

  std::shared_ptr<AccessibilityElement> systemWideElement() const override;
  std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) override;
  bool isProcessTrusted() const override;

  // Switches the accessibility of the session on (`org.a11y.Status.IsEnabled`), as the
  // accessibility settings would; answers whether the bus took it.
  bool enableAccessibility();

  struct FocusTracker;

 private:
  const std::shared_ptr<DesktopThread> desktop_;
  const std::shared_ptr<FocusTracker> focus_;
  std::shared_ptr<AccessibilityElement> systemWide_;
};

}  // namespace platform

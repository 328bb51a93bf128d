#pragma once

#include <memory>

namespace platform {

class AccessibilityElement;

// The desktop's accessibility interface as this application reads it: the system-wide
// element, whose "AXFocusedUIElement" is the element with the keyboard focus; one element per
// application; and whether this process may read other applications' elements at all.
// Implementations are thread-safe: the services call them from the task pool.
class Accessibility {
 public:
  virtual ~Accessibility() = default;

  virtual std::shared_ptr<AccessibilityElement> systemWideElement() const = 0;
  // The element of the application with that process identifier. Never null: an application
  // the desktop does not know answers its reads with an error.
  virtual std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) = 0;
  // Whether the desktop lets this process read and change other applications' elements.
  // Asks the user nothing.
  virtual bool isProcessTrusted() const = 0;
};

}  // namespace platform

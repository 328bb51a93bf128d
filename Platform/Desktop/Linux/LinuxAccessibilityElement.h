#pragma once

#include <memory>
#include <string>

#include "Platform/Desktop/AccessibilityElement.h"

namespace platform {

class DesktopThread;

// One AT-SPI object (an AtspiAccessible, referenced for the element's life), read and written on
// the desktop thread.
//
// AT-SPI counts text offsets in characters (code points); this element counts UTF-16 units, as
// the services do, and converts at each call over the object's current text. Its rectangles are
// AT-SPI's screen coordinates (origin at the top left), which is the convention of
// "AXBoundsForRange" already.
//
// Attributes: "AXRole" (the role as the desktop names it: "AXTextArea", "AXTextField",
// "AXWindow", ... or "AX" and AT-SPI's role name), "AXTitle" (the name), "AXValue" (the whole
// text), "AXSelectedText", "AXSelectedTextRange" (the first selection, or the caret with length
// 0; settable: a range past the end waits up to a second for typed text to arrive), "AXParent", "AXWindow"
// (the frame, window or dialog it is in); parameterised "AXBoundsForRange". An object without the Text
// interface answers noValue for the text ones; anything else is attributeUnsupported. "AXManualAccessibility"
// has no counterpart here.
class LinuxAccessibilityElement final : public AccessibilityElement,
                                        public std::enable_shared_from_this<LinuxAccessibilityElement> {
 public:
  // Takes over one reference to `accessible` (an AtspiAccessible*).
  LinuxAccessibilityElement(std::shared_ptr<DesktopThread> desktop, void* accessible);
  ~LinuxAccessibilityElement() override;
  LinuxAccessibilityElement(const LinuxAccessibilityElement&) = delete;
  LinuxAccessibilityElement& operator=(const LinuxAccessibilityElement&) = delete;

  int processIdentifier() const override;
  std::string description() const override;
  AXResult copyAttributeValue(std::string_view attribute) const override;
  AXError setAttributeValue(std::string_view attribute, const AXValue& value) override;
  AXResult copyParameterizedAttributeValue(std::string_view attribute,
                                           const AXValue& parameter) const override;

  void* accessible() const { return accessible_; }

 private:
  AXResult readOnDesktopThread(std::string_view attribute) const;
  // One try at selecting `range`; illegalArgument while the text is too short for it.
  AXError selectRange(const AXRange& range);

  const std::shared_ptr<DesktopThread> desktop_;
  void* const accessible_;  // AtspiAccessible*, one reference owned
};

}  // namespace platform

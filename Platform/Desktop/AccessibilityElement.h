#pragma once

#include <string>
#include <string_view>

#include "Platform/Desktop/AXValue.h"

namespace platform {

// One element of an application's accessibility tree (an application, a window, a text field,
// or the system-wide element), read and written through named attributes, each call answering
// a status code. Texts are UTF-8; ranges count UTF-16 units; "AXBoundsForRange" answers a
// rectangle with its origin at the top left of the primary screen.
//
// The attributes the services use: "AXRole", "AXTitle", "AXValue" (the text),
// "AXSelectedText", "AXSelectedTextRange" (settable: selects, or puts the caret), "AXParent",
// "AXWindow", "AXFocusedUIElement" (of the system-wide element), "AXManualAccessibility" (of an
// application element), and the parameterised "AXBoundsForRange".
// Implementations are thread-safe.
class AccessibilityElement {
 public:
  virtual ~AccessibilityElement() = default;

  virtual int processIdentifier() const = 0;
  // For log lines, for example "<AXTextArea pid 100>".
  virtual std::string description() const = 0;

  virtual AXResult copyAttributeValue(std::string_view attribute) const = 0;
  virtual AXError setAttributeValue(std::string_view attribute, const AXValue& value) = 0;
  virtual AXResult copyParameterizedAttributeValue(std::string_view attribute,
                                                   const AXValue& parameter) const = 0;
};

}  // namespace platform

#pragma once

#include <memory>
#include <string>

#include "Platform/Desktop/AXValue.h"

namespace platform {
class AccessibilityElement;
}

namespace quellorin {

// The line at the caret of a focused element, after it has been selected there: its text
// (without its line feed), its range in the element's text (UTF-16 units) and the element.
struct CaretLine {
  std::string text;
  platform::AXRange range;
  std::shared_ptr<platform::AccessibilityElement> element;
};

}  // namespace quellorin

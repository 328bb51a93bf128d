#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "Platform/Desktop/AXError.h"
#include "Platform/Core/Geometry.h"

namespace platform {

class AccessibilityElement;

// A range of an element's text, in UTF-16 units, as the Accessibility interface counts.
struct AXRange {
  std::int64_t location = 0;
  std::int64_t length = 0;
  bool operator==(const AXRange&) const = default;
};

// A value read from or written to an element: a text (UTF-8), a boolean, a range, a
// rectangle (Accessibility coordinates: origin at the top left of the primary screen, y
// growing downwards) or another element.
using AXValue = std::variant<std::string, bool, AXRange, Rect, std::shared_ptr<AccessibilityElement>>;

// The answer to a read: the status, and the value when the status is success.
struct AXResult {
  AXError status = AXError::success;
  std::optional<AXValue> value;
};

// The value as a log line shows it, for example "{location 3, length 2}".
std::string describe(const AXValue& value);
std::string describe(const AXRange& range);
std::string describe(const Rect& rect);

}  // namespace platform

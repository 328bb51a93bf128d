#include "Platform/Desktop/AXValue.h"

#include <sstream>

#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Core/Overloaded.h"

namespace platform {

std::string describe(const AXRange& range) {
  return "{location " + std::to_string(range.location) + ", length " + std::to_string(range.length) + "}";
}

std::string describe(const Rect& rect) {
  std::ostringstream out;
  out << "(" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << ")";
  return out.str();
}

std::string describe(const AXValue& value) {
  return std::visit(Overloaded{
                        [](const std::string& text) { return "\"" + text + "\""; },
                        [](bool flag) { return std::string(flag ? "true" : "false"); },
                        [](const AXRange& range) { return describe(range); },
                        [](const Rect& rect) { return describe(rect); },
                        [](const std::shared_ptr<AccessibilityElement>& element) {
                          return element ? element->description() : std::string("<none>");
                        },
                    },
                    value);
}

}  // namespace platform

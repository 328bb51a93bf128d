#pragma once

#include <string_view>

namespace platform {

// The status code that every Accessibility read or write answers with, with the desktop's
// own numbers.
enum class AXError : int {
  success = 0,
  failure = -25200,
  illegalArgument = -25201,
  invalidUIElement = -25202,
  cannotComplete = -25204,
  attributeUnsupported = -25205,
  notImplemented = -25208,
  apiDisabled = -25211,
  noValue = -25212,
  parameterizedAttributeUnsupported = -25213,
};

// The code's name, as log lines print it ("cannotComplete").
std::string_view axErrorName(AXError error);

}  // namespace platform

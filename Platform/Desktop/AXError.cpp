#include "Platform/Desktop/AXError.h"

namespace platform {

std::string_view axErrorName(AXError error) {
  switch (error) {
    case AXError::success:
      return "success";
    case AXError::failure:
      return "failure";
    case AXError::illegalArgument:
      return "illegalArgument";
    case AXError::invalidUIElement:
      return "invalidUIElement";
    case AXError::cannotComplete:
      return "cannotComplete";
    case AXError::attributeUnsupported:
      return "attributeUnsupported";
    case AXError::notImplemented:
      return "notImplemented";
    case AXError::apiDisabled:
      return "apiDisabled";
    case AXError::noValue:
      return "noValue";
    case AXError::parameterizedAttributeUnsupported:
      return "parameterizedAttributeUnsupported";
  }
  return "unknown";
}

}  // namespace platform

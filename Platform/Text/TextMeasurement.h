#pragma once

#include "Platform/Text/AttributedString.h"
#include "Platform/Core/Geometry.h"

namespace platform {

// The size that `text` takes when laid out without a width limit and without line padding:
// the widest line and the height of all lines, in points.
Size measuredSize(const AttributedString& text);

}  // namespace platform

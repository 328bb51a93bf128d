#include "Platform/Desktop/Screens.h"

namespace platform {

bool rectContainsPoint(const Rect& rect, Point point) {
  return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() && point.y < rect.maxY();
}

bool rectContainsRect(const Rect& outer, const Rect& inner) {
  return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
         inner.maxY() <= outer.maxY();
}

}  // namespace platform

#pragma once

// Points, sizes and rectangles of the text system, in points (1/72 inch), with the origin at the
// top left and y growing downwards, as in a flipped view.

namespace platform {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double minX() const { return x; }
  double minY() const { return y; }
  double maxX() const { return x + width; }
  double maxY() const { return y + height; }
  double midY() const { return y + height / 2; }
  Rect offsetBy(Point by) const { return {x + by.x, y + by.y, width, height}; }
  bool operator==(const Rect&) const = default;
};

}  // namespace platform

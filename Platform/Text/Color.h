#pragma once

#include <cstdint>

namespace platform {

// A colour in the sRGB space; every component is in [0, 1].
struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  // From a 0xRRGGBB value, opaque.
  static Color fromRGB(std::uint32_t rgb);
  static Color blackColor() { return {0, 0, 0, 1}; }
  static Color whiteColor() { return {1, 1, 1, 1}; }
  static Color blueColor() { return {0, 0, 1, 1}; }
  static Color redColor() { return {1, 0, 0, 1}; }

  bool operator==(const Color&) const = default;
};

}  // namespace platform

#include "Platform/Text/Color.h"

namespace platform {

Color Color::fromRGB(std::uint32_t rgb) {
  auto component = [rgb](int shift) { return static_cast<double>((rgb >> shift) & 0xFFU) / 255.0; };
  return {component(16), component(8), component(0), 1.0};
}

}  // namespace platform

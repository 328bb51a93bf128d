// Colour texts: any text either reads as "#RRGGBB" / "#RRGGBBAA" (with or without "#") and
// writes back to the same channels, or gives opaque black; the CSS form is always well formed.
#include "UI/Color.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool isWellFormedHex(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6 && text.size() != 8) return false;
  for (const char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ui::Color color = ui::Color::hex(text);
  const platform::Color value = color.resolved(ui::ColorScheme::light);
  require(!color.name() && value == color.resolved(ui::ColorScheme::dark));
  if (!isWellFormedHex(text)) {
    require(color == ui::Color::black());
    return 0;
  }
  // Every channel is a whole number of 255ths: written out in hexadecimal, it reads back.
  auto digits = [](double channel) {
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(channel * 255 + 0.5));
    return std::string(buffer);
  };
  const std::string written =
      "#" + digits(value.red) + digits(value.green) + digits(value.blue) + digits(value.alpha);
  require(ui::Color::hex(written) == color);
  std::string upper(text.substr(text.front() == '#' ? 1 : 0));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  require(written.substr(1, upper.size()) == upper);
  if (upper.size() == 6) require(value.alpha == 1);

  // "rgba(R,G,B,A)" with whole channels 0...255.
  const std::string css = color.css();
  int red = -1, green = -1, blue = -1, consumed = 0;
  double alpha = -1;
  require(std::sscanf(css.c_str(), "rgba(%d,%d,%d,%lf)%n", &red, &green, &blue, &alpha, &consumed) == 4);
  require(static_cast<std::size_t>(consumed) == css.size());
  require(red >= 0 && red <= 255 && green >= 0 && green <= 255 && blue >= 0 && blue <= 255);
  require(alpha >= 0 && alpha <= 1);
  return 0;
}

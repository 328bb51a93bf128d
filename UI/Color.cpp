#include "UI/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace ui {

namespace {

platform::Color rgbHex(std::uint32_t value, double alpha = 1) {
  platform::Color color = platform::Color::fromRGB(value);
  color.alpha = alpha;
  return color;
}

std::vector<std::pair<std::string, NamedColor>> makeTable() {
  // Light and dark values of the system's colours and of the application's colour assets.
  return {
      {"primary", {rgbHex(0x000000, 0.85), rgbHex(0xFFFFFF, 0.85)}},
      {"secondary", {rgbHex(0x000000, 0.5), rgbHex(0xFFFFFF, 0.55)}},
      {"gray", {rgbHex(0x8E8E93), rgbHex(0x8E8E93)}},
      {"purple", {rgbHex(0xAF52DE), rgbHex(0xBF5AF2)}},
      {"red", {rgbHex(0xFF3B30), rgbHex(0xFF453A)}},
      {"accentColor", {rgbHex(0x6B39F4), rgbHex(0x8A63F7)}},
      {"windowBackgroundColor", {rgbHex(0xECECEC), rgbHex(0x323232)}},
      {"controlBackgroundColor", {rgbHex(0xFFFFFF), rgbHex(0x1E1E1E)}},
      {"separatorColor", {rgbHex(0x000000, 0.1), rgbHex(0xFFFFFF, 0.15)}},
      {"BackgroundColor", {rgbHex(0xF5F5F7), rgbHex(0x1C1C1E)}},
      {"contentBgColor", {rgbHex(0xFFFFFF), rgbHex(0x2C2C2E)}},
      {"setHoverBtColor", {rgbHex(0xE8E2FD), rgbHex(0x3D3560)}},
      {"hoverBgColor", {rgbHex(0xEFEFF2), rgbHex(0x3A3A3C)}},
      {"promptingBgColor", {rgbHex(0xF7F7FA), rgbHex(0x232325)}},
      {"resultViewBgColor", {rgbHex(0xFFFFFF), rgbHex(0x1F1F21)}},
      {"tipsBgColor", {rgbHex(0xF2F0FB), rgbHex(0x2A2838)}},
      {"shadowColor", {rgbHex(0x000000, 0.08), rgbHex(0x000000, 0.4)}},
      {"jobPromptsColor", {rgbHex(0xF4F4F6), rgbHex(0x2E2E31)}},
      {"jobBorderColor", {rgbHex(0xD9D9DE), rgbHex(0x48484C)}},
      {"borderColor", {rgbHex(0xC7C7CC), rgbHex(0x545458)}},
      {"fontColor", {rgbHex(0x1D1D1F), rgbHex(0xF2F2F7)}},
  };
}

}  // namespace

const std::vector<std::pair<std::string, NamedColor>>& namedColorTable() {
  static const auto table = makeTable();
  return table;
}

std::optional<NamedColor> lookupNamedColor(std::string_view name) {
  for (const auto& [key, value] : namedColorTable())
    if (key == name) return value;
  return std::nullopt;
}

Color Color::named(std::string name) {
  Color color;
  color.name_ = std::move(name);
  return color;
}

Color Color::rgb(double red, double green, double blue, double alpha) {
  Color color;
  color.value_ = {red, green, blue, alpha};
  return color;
}

Color Color::hex(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6 && text.size() != 8) return black();
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0) return black();
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  if (text.size() == 6)
    return rgb(((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0);
  return rgb(((value >> 24) & 0xFF) / 255.0, ((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0,
             (value & 0xFF) / 255.0);
}

Color Color::opacity(double factor) const {
  Color copy = *this;
  copy.opacity_ *= std::clamp(factor, 0.0, 1.0);
  return copy;
}

platform::Color Color::resolved(ColorScheme scheme) const {
  platform::Color base = value_;
  if (name_) {
    auto entry = lookupNamedColor(*name_);
    base = entry ? (scheme == ColorScheme::dark ? entry->dark : entry->light) : platform::Color{1, 0, 1, 1};
  }
  base.alpha *= opacity_;
  return base;
}

std::string cssColor(const platform::Color& color) {
  auto channel = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "rgba(%d,%d,%d,%.3g)", channel(color.red), channel(color.green),
                channel(color.blue), std::clamp(color.alpha, 0.0, 1.0));
  return buffer;
}

std::string Color::css() const {
  if (!name_) return cssColor(resolved(ColorScheme::light));
  std::string variable = "var(--color-" + *name_ + ",#f0f)";
  if (opacity_ >= 1) return variable;
  char percent[32];
  std::snprintf(percent, sizeof percent, "%.4g%%", opacity_ * 100);
  return "color-mix(in srgb," + variable + " " + percent + ",transparent)";
}

}  // namespace ui

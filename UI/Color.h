#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/Text/Color.h"

namespace ui {

// Light or dark: which column of the named-colour table a window shows.
enum class ColorScheme { light, dark };

// A colour as a view names it: a literal sRGB value, or a name looked up in the named-colour
// table (the application's colour assets and the system's colours such as "primary" or
// "gray"), which has a light and a dark value. `opacity` multiplies the alpha of either.
class Color {
 public:
  static Color named(std::string name);
  static Color rgb(double red, double green, double blue, double alpha = 1);
  // "#RRGGBB" or "#RRGGBBAA"; an ill-formed text gives opaque black.
  static Color hex(std::string_view text);
  static Color clear() { return rgb(0, 0, 0, 0); }
  static Color white() { return rgb(1, 1, 1); }
  static Color black() { return rgb(0, 0, 0); }
  // The system's colours, which follow the scheme.
  static Color primary() { return named("primary"); }
  static Color secondary() { return named("secondary"); }
  static Color gray() { return named("gray"); }
  static Color purple() { return named("purple"); }
  static Color red() { return named("red"); }

  // The same colour with its alpha multiplied by `factor`.
  Color opacity(double factor) const;

  const std::optional<std::string>& name() const { return name_; }
  double opacityFactor() const { return opacity_; }

  // The value shown in `scheme`. An unknown name resolves to magenta, so that a missing asset
  // shows in screenshots instead of passing unnoticed.
  platform::Color resolved(ColorScheme scheme) const;
  // As CSS: a named colour becomes a custom property of the page ("var(--color-NAME)"), which
  // the page's style sheet defines per scheme, so one fragment serves both schemes.
  std::string css() const;

  bool operator==(const Color&) const = default;

 private:
  std::optional<std::string> name_;
  platform::Color value_;
  double opacity_ = 1;
};

// The named-colour table: light and dark value of a name; none for an unknown name.
struct NamedColor {
  platform::Color light;
  platform::Color dark;
};
std::optional<NamedColor> lookupNamedColor(std::string_view name);
// Every name of the table, in a stable order (for the page's style sheet).
const std::vector<std::pair<std::string, NamedColor>>& namedColorTable();

// "rgba(r, g, b, a)" with components 0...255 and alpha 0...1.
std::string cssColor(const platform::Color& color);

}  // namespace ui

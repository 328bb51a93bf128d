#pragma once

#include <cstdint>
#include <string>

#include "Platform/Text/PangoHandles.h"

namespace platform {

// Symbolic traits of a font, as bits.
enum FontTrait : std::uint32_t {
  fontTraitItalic = 0x1,
  fontTraitBold = 0x2,
  fontTraitMonospace = 0x400,
};

// A font: a family, a size in points and symbolic traits. Bold and italic are chosen freely;
// monospace follows the family (a monospaced family has it, others do not). Fonts are values.
// Metrics come from Pango over the fonts installed on the machine; the project relies on the
// DejaVu families so that they are the same everywhere.
class Font {
 public:
  static constexpr const char* defaultFamily = "DejaVu Sans";
  static constexpr const char* defaultMonospaceFamily = "DejaVu Sans Mono";

  Font(std::string family, double pointSize, std::uint32_t traits = 0);
  static Font system(double pointSize) { return Font(defaultFamily, pointSize); }
  static Font boldSystem(double pointSize) { return Font(defaultFamily, pointSize, fontTraitBold); }
  static Font monospaced(double pointSize) { return Font(defaultMonospaceFamily, pointSize); }

  const std::string& family() const { return family_; }
  double pointSize() const { return pointSize_; }
  std::uint32_t symbolicTraits() const { return traits_; }
  bool hasTrait(FontTrait trait) const { return (traits_ & trait) != 0; }

  // The same font with exactly `traits`: bold and italic as asked; asking for monospace on a
  // proportional family moves to the monospaced family (a monospaced family cannot drop it).
  Font withSymbolicTraits(std::uint32_t traits) const;
  Font withSize(double pointSize) const { return Font(family_, pointSize, traits_); }

  double ascender() const;
  double descender() const;  // positive, below the baseline
  double lineHeight() const { return ascender() + descender(); }

  // A new Pango description of this font; the caller owns it.
  FontDescriptionHandle pangoDescription() const;

  bool operator==(const Font&) const = default;

 private:
  std::string family_;
  double pointSize_;
  std::uint32_t traits_;
};

}  // namespace platform

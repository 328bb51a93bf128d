#include "Platform/Text/Font.h"

#include <unordered_map>
#include <utility>

namespace platform {

namespace {

bool lookUpMonospace(const std::string& family) {
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(pango_context_get_font_map(threadPangoContext()), &families, &count);
  bool monospace = false;
  for (int index = 0; index < count; ++index) {
    if (g_ascii_strcasecmp(pango_font_family_get_name(families[index]), family.c_str()) == 0) {
      monospace = pango_font_family_is_monospace(families[index]) != 0;
      break;
    }
  }
  g_free(families);
  return monospace;
}

// Families are looked up once per thread: fonts are made often while text is styled.
bool familyIsMonospace(const std::string& family) {
  thread_local std::unordered_map<std::string, bool> known;
  auto found = known.find(family);
  if (found == known.end()) {
    found = known.emplace(family, lookUpMonospace(family)).first;
  }
  return found->second;
}

FontMetricsHandle metricsOf(const Font& font) {
  FontDescriptionHandle description = font.pangoDescription();
  return FontMetricsHandle(pango_context_get_metrics(threadPangoContext(), description.get(), nullptr));
}

}  // namespace

Font::Font(std::string family, double pointSize, std::uint32_t traits)
    : family_(std::move(family)), pointSize_(pointSize), traits_(traits & (fontTraitItalic | fontTraitBold)) {
  if (familyIsMonospace(family_)) {
    traits_ |= fontTraitMonospace;
  }
}

Font Font::withSymbolicTraits(std::uint32_t traits) const {
  bool moveToMonospace = (traits & fontTraitMonospace) != 0 && !hasTrait(fontTraitMonospace);
  return Font(moveToMonospace ? defaultMonospaceFamily : family_, pointSize_, traits);
}

double Font::ascender() const {
  return fromPangoUnits(pango_font_metrics_get_ascent(metricsOf(*this).get()));
}

double Font::descender() const {
  return fromPangoUnits(pango_font_metrics_get_descent(metricsOf(*this).get()));
}

FontDescriptionHandle Font::pangoDescription() const {
  FontDescriptionHandle description(pango_font_description_new());
  pango_font_description_set_family(description.get(), family_.c_str());
  pango_font_description_set_size(description.get(), toPangoUnits(pointSize_));
  pango_font_description_set_weight(description.get(),
                                    hasTrait(fontTraitBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description.get(),
                                   hasTrait(fontTraitItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

}  // namespace platform

#include "Platform/Text/PangoHandles.h"

namespace platform {

PangoContext* threadPangoContext() {
  // Resolution 72 dpi, so that one Pango point is one point of the text system.
  thread_local PangoContextHandle context = [] {
    PangoFontMap* fontMap = pango_cairo_font_map_get_default();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 72.0);
    PangoContextHandle made(pango_font_map_create_context(fontMap));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(made.get(), options);
    cairo_font_options_destroy(options);
    return made;
  }();
  return context.get();
}

}  // namespace platform

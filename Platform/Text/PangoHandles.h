#pragma once

#include <pango/pangocairo.h>

#include <memory>

// Owning handles for the Pango and Cairo objects the text system makes, each freed by the
// library's own release call.

namespace platform {

struct GObjectRelease {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct FontDescriptionRelease {
  void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};
struct FontMetricsRelease {
  void operator()(PangoFontMetrics* metrics) const { pango_font_metrics_unref(metrics); }
};
struct AttrListRelease {
  void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};
struct LayoutIterRelease {
  void operator()(PangoLayoutIter* iterator) const { pango_layout_iter_free(iterator); }
};
struct TabArrayRelease {
  void operator()(PangoTabArray* tabs) const { pango_tab_array_free(tabs); }
};
struct CairoSurfaceRelease {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoRelease {
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};

using PangoContextHandle = std::unique_ptr<PangoContext, GObjectRelease>;
using PangoLayoutHandle = std::unique_ptr<PangoLayout, GObjectRelease>;
using FontDescriptionHandle = std::unique_ptr<PangoFontDescription, FontDescriptionRelease>;
using FontMetricsHandle = std::unique_ptr<PangoFontMetrics, FontMetricsRelease>;
using AttrListHandle = std::unique_ptr<PangoAttrList, AttrListRelease>;
using LayoutIterHandle = std::unique_ptr<PangoLayoutIter, LayoutIterRelease>;
using TabArrayHandle = std::unique_ptr<PangoTabArray, TabArrayRelease>;
using CairoSurfaceHandle = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;
using CairoHandle = std::unique_ptr<cairo_t, CairoRelease>;

// The calling thread's Pango context over the default Cairo font map, made on first use and
// kept for the thread's life. Pango objects are not shared between threads.
PangoContext* threadPangoContext();

// Points to Pango units and back.
inline int toPangoUnits(double points) {
  return static_cast<int>(points * PANGO_SCALE + (points < 0 ? -0.5 : 0.5));
}
inline double fromPangoUnits(int units) { return static_cast<double>(units) / PANGO_SCALE; }

}  // namespace platform

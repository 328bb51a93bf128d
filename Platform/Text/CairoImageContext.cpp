#include "Platform/Text/CairoImageContext.h"

#include <pango/pangocairo.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <tuple>

namespace platform {

CairoImageContext::CairoImageContext(int widthInPoints, int heightInPoints, double scale)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(widthInPoints * scale),
                                          static_cast<int>(heightInPoints * scale))),
      cairo_(cairo_create(surface_.get())) {
  if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS ||
      cairo_status(cairo_.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cairo: cannot make an image of that size");
  }
  cairo_scale(cairo_.get(), scale, scale);
  cairo_set_line_width(cairo_.get(), 1.0);
}

void CairoImageContext::saveGState() {
  saved_.emplace_back(fill_, stroke_);
  cairo_save(cairo_.get());
}

void CairoImageContext::restoreGState() {
  if (saved_.empty()) {
    throw std::logic_error("graphics context: restore without a saved state");
  }
  std::tie(fill_, stroke_) = saved_.back();
  saved_.pop_back();
  cairo_restore(cairo_.get());
}

void CairoImageContext::use(Color color) {
  cairo_set_source_rgba(cairo_.get(), color.red, color.green, color.blue, color.alpha);
}

void CairoImageContext::fillRect(Rect rect) {
  use(fill_);
  cairo_rectangle(cairo_.get(), rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cairo_.get());
}

void CairoImageContext::strokeRect(Rect rect) {
  use(stroke_);
  cairo_rectangle(cairo_.get(), rect.x, rect.y, rect.width, rect.height);
  cairo_stroke(cairo_.get());
}

void CairoImageContext::strokeLine(Point from, Point to) {
  use(stroke_);
  cairo_move_to(cairo_.get(), from.x, from.y);
  cairo_line_to(cairo_.get(), to.x, to.y);
  cairo_stroke(cairo_.get());
}

void CairoImageContext::drawLayout(PangoLayout& layout, Point origin) {
  use(fill_);
  cairo_move_to(cairo_.get(), origin.x, origin.y);
  pango_cairo_show_layout(cairo_.get(), &layout);
}

void CairoImageContext::writePNG(const std::filesystem::path& path) const {
  cairo_surface_flush(surface_.get());
  cairo_status_t status = cairo_surface_write_to_png(surface_.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cairo: cannot write " + path.string() + ": " + cairo_status_to_string(status));
  }
}

std::uint32_t CairoImageContext::pixel(int x, int y) const {
  cairo_surface_flush(surface_.get());
  const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
  std::uint32_t value = 0;
  std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
  return value;
}

}  // namespace platform

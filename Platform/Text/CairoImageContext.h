#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "Platform/Text/GraphicsContext.h"
#include "Platform/Text/PangoHandles.h"

namespace platform {

// A context that draws into an ARGB image in memory with Cairo, at `scale` pixels per point,
// and can write it as a PNG file. The image starts transparent. Like every context, drawn on by
// one thread at a time.
class CairoImageContext final : public GraphicsContext {
 public:
  // Throws std::runtime_error when Cairo cannot make the image.
  CairoImageContext(int widthInPoints, int heightInPoints, double scale = 1.0);

  void saveGState() override;
  void restoreGState() override;
  void setFillColor(Color color) override { fill_ = color; }
  void setStrokeColor(Color color) override { stroke_ = color; }
  void setLineWidth(double width) override { cairo_set_line_width(cairo_.get(), width); }
  void fillRect(Rect rect) override;
  void strokeRect(Rect rect) override;
  void strokeLine(Point from, Point to) override;
  void drawLayout(PangoLayout& layout, Point origin) override;

  // Throws std::runtime_error when the file cannot be written.
  void writePNG(const std::filesystem::path& path) const;
  int pixelWidth() const { return cairo_image_surface_get_width(surface_.get()); }
  int pixelHeight() const { return cairo_image_surface_get_height(surface_.get()); }
  // The pixel at (x, y) as 0xAARRGGBB, premultiplied as Cairo stores it.
  std::uint32_t pixel(int x, int y) const;

 private:
  void use(Color color);

  CairoSurfaceHandle surface_;
  CairoHandle cairo_;
  Color fill_ = Color::blackColor();
  Color stroke_ = Color::blackColor();
  std::vector<std::pair<Color, Color>> saved_;
};

}  // namespace platform

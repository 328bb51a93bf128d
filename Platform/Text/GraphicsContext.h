#pragma once

#include <pango/pango.h>

#include "Platform/Text/Color.h"
#include "Platform/Core/Geometry.h"

namespace platform {

// A surface to draw on, in points, origin at the top left. The fill colour, stroke colour and
// line width are graphics state, saved and restored in pairs. Each thread has one current
// context (or none), set for a stretch of drawing with `GraphicsContext::Current`.
// Not thread-safe: a context is drawn on by one thread at a time.
class GraphicsContext {
 public:
  virtual ~GraphicsContext() = default;

  virtual void saveGState() = 0;
  // Throws std::logic_error when there is no saved state to go back to.
  virtual void restoreGState() = 0;
  virtual void setFillColor(Color color) = 0;
  virtual void setStrokeColor(Color color) = 0;
  virtual void setLineWidth(double width) = 0;
  virtual void fillRect(Rect rect) = 0;
  virtual void strokeRect(Rect rect) = 0;
  virtual void strokeLine(Point from, Point to) = 0;
  // Draws the lines of `layout` with its top left corner at `origin`; the layout is borrowed.
  virtual void drawLayout(PangoLayout& layout, Point origin) = 0;

  // The calling thread's current context, or null.
  static GraphicsContext* current();

  // Makes a context current on this thread for its lifetime, then restores the previous one.
  class Current {
   public:
    explicit Current(GraphicsContext* context);
    ~Current();
    Current(const Current&) = delete;
    Current& operator=(const Current&) = delete;

   private:
    GraphicsContext* previous_;
  };
};

}  // namespace platform

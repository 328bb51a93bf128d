#pragma once

#include <string>
#include <vector>

#include "Platform/Text/GraphicsContext.h"

namespace platform {

// A context that draws nothing and records every drawing operation with the state it was made
// in, so that tests can check what was drawn and where.
class RecordingGraphicsContext final : public GraphicsContext {
 public:
  struct Operation {
    enum class Kind { fillRect, strokeRect, strokeLine, text };
    Kind kind;
    Rect rect;         // fillRect, strokeRect; for text: origin and the layout's logical size
    Point from, to;    // strokeLine
    Color color;       // fill colour for fills and text, stroke colour for strokes
    double lineWidth;  // strokes
    std::string text;  // text: the layout's UTF-8 text
  };

  void saveGState() override;
  void restoreGState() override;
  void setFillColor(Color color) override { state_.fill = color; }
  void setStrokeColor(Color color) override { state_.stroke = color; }
  void setLineWidth(double width) override { state_.lineWidth = width; }
  void fillRect(Rect rect) override;
  void strokeRect(Rect rect) override;
  void strokeLine(Point from, Point to) override;
  void drawLayout(PangoLayout& layout, Point origin) override;

  const std::vector<Operation>& operations() const { return operations_; }
  std::vector<Operation> operations(Operation::Kind kind) const;
  std::size_t savedStateDepth() const { return saved_.size(); }

 private:
  struct State {
    Color fill = Color::blackColor();
    Color stroke = Color::blackColor();
    double lineWidth = 1;
  };

  State state_;
  std::vector<State> saved_;
  std::vector<Operation> operations_;
};

}  // namespace platform

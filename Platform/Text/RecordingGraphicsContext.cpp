#include "Platform/Text/RecordingGraphicsContext.h"

#include <stdexcept>

#include "Platform/Text/PangoHandles.h"

namespace platform {

void RecordingGraphicsContext::saveGState() { saved_.push_back(state_); }

void RecordingGraphicsContext::restoreGState() {
  if (saved_.empty()) {
    throw std::logic_error("graphics context: restore without a saved state");
  }
  state_ = saved_.back();
  saved_.pop_back();
}

void RecordingGraphicsContext::fillRect(Rect rect) {
  operations_.push_back({Operation::Kind::fillRect, rect, {}, {}, state_.fill, 0, {}});
}

void RecordingGraphicsContext::strokeRect(Rect rect) {
  operations_.push_back({Operation::Kind::strokeRect, rect, {}, {}, state_.stroke, state_.lineWidth, {}});
}

void RecordingGraphicsContext::strokeLine(Point from, Point to) {
  operations_.push_back({Operation::Kind::strokeLine, {}, from, to, state_.stroke, state_.lineWidth, {}});
}

void RecordingGraphicsContext::drawLayout(PangoLayout& layout, Point origin) {
  PangoRectangle logical;
  pango_layout_get_extents(&layout, nullptr, &logical);
  Rect box{origin.x, origin.y, fromPangoUnits(logical.width), fromPangoUnits(logical.height)};
  operations_.push_back({Operation::Kind::text, box, {}, {}, state_.fill, 0, pango_layout_get_text(&layout)});
}

std::vector<RecordingGraphicsContext::Operation> RecordingGraphicsContext::operations(
    Operation::Kind kind) const {
  std::vector<Operation> matching;
  for (const Operation& operation : operations_) {
    if (operation.kind == kind) {
      matching.push_back(operation);
    }
  }
  return matching;
}

}  // namespace platform

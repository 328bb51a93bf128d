#pragma once

#include "Platform/Core/Geometry.h"

namespace platform {

class LayoutManager;

// The area that a layout manager lays text into: a width (0 or less: lines never wrap) and a
// padding kept free at both ends of every line fragment, both in points. Changing either lays
// the text out anew. Used on its layout manager's thread.
class TextContainer {
 public:
  explicit TextContainer(Size size = {}) : size_(size) {}

  Size size() const { return size_; }
  void setSize(Size size);
  double lineFragmentPadding() const { return lineFragmentPadding_; }
  void setLineFragmentPadding(double padding);

  // The layout manager this container belongs to, or null; set by LayoutManager, not owned.
  LayoutManager* layoutManager() const { return layoutManager_; }
  void setLayoutManager(LayoutManager* layoutManager) { layoutManager_ = layoutManager; }

 private:
  Size size_;
  double lineFragmentPadding_ = 5;
  LayoutManager* layoutManager_ = nullptr;
};

}  // namespace platform

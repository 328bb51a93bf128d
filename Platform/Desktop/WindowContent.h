#pragma once

#include <memory>

namespace platform {

class PageSurface;

// What a window displays: the root of a view tree. The window owns it through a shared
// pointer; the layer above decides what it is.
class WindowContent {
 public:
  virtual ~WindowContent() = default;

  // On a desktop with real windows: the window's page surface, handed over when the content
  // is put in a shown window, and null when it leaves it. The content shows itself there
  // until then. The simulated desktop never calls it. Main thread.
  virtual void attachSurface(std::shared_ptr<PageSurface> surface) { static_cast<void>(surface); }
};

}  // namespace platform

#pragma once

namespace platform {

// What a window displays: the root of a view tree. The window owns it through a shared
// pointer; the layer above decides what it is.
class WindowContent {
 public:
  virtual ~WindowContent() = default;
};

}  // namespace platform

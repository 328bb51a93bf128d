#pragma once

#include <memory>

namespace platform {

class Window;
class WindowContent;

// The real window behind a Window on a desktop that has real windows; the simulated desktop has
// none. The window tells its peer what changed; the peer reads the rest from the window. Made
// by the window server's peer factory the first time the window is ordered front, and
// destroyed with the window. Main thread only.
class WindowPeer {
 public:
  virtual ~WindowPeer() = default;
  // Frame, title, level, background or shadow changed.
  virtual void update(const Window& window) = 0;
  virtual void orderFront(const Window& window, bool makeKey) = 0;
  virtual void orderOut() = 0;
  // The window's content is now `content` (null: none).
  virtual void setContent(const std::shared_ptr<WindowContent>& content) = 0;
};

}  // namespace platform

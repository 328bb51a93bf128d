#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class Window;
class WindowPeer;

// The windows of this application that are on screen, front to back, and the key window.
// Thread-safe.
class WindowServer {
 public:
  // Puts `window` on screen in front of the others; it becomes key when it can.
  void orderFront(const std::shared_ptr<Window>& window, bool makeKey);
  void orderOut(const Window& window);
  // The windows on screen, front first.
  std::vector<std::shared_ptr<Window>> windows() const;
  bool isOnScreen(const Window& window) const;
  std::shared_ptr<Window> keyWindow() const;

  // Whether the application is active (in front of other applications).
  bool isApplicationActive() const;
  void setApplicationActive(bool active);

  // Real windows: how a window gets its peer. Without a factory (the simulated desktop),
  // windows have none.
  using PeerFactory = std::function<std::shared_ptr<WindowPeer>(Window& window)>;
  void setPeerFactory(PeerFactory factory);
  // A new peer for `window`, or null without a factory.
  std::shared_ptr<WindowPeer> makePeer(Window& window) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Window>> onScreen_;  // back to front
  std::weak_ptr<Window> key_;
  bool active_ = false;
  PeerFactory peerFactory_;
};

}  // namespace platform

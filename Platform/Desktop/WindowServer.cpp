#include "Platform/Desktop/WindowServer.h"

#include <algorithm>

#include "Platform/Desktop/Window.h"

namespace platform {

void WindowServer::orderFront(const std::shared_ptr<Window>& window, bool makeKey) {
  std::lock_guard lock(mutex_);
  std::erase(onScreen_, window);
  onScreen_.push_back(window);
  if (makeKey) key_ = window;
}

void WindowServer::orderOut(const Window& window) {
  std::lock_guard lock(mutex_);
  std::erase_if(onScreen_, [&](const std::shared_ptr<Window>& shown) { return shown.get() == &window; });
  if (key_.lock().get() == &window) key_.reset();
}

std::vector<std::shared_ptr<Window>> WindowServer::windows() const {
  std::lock_guard lock(mutex_);
  return {onScreen_.rbegin(), onScreen_.rend()};
}

bool WindowServer::isOnScreen(const Window& window) const {
  std::lock_guard lock(mutex_);
  return std::any_of(onScreen_.begin(), onScreen_.end(),
                     [&](const std::shared_ptr<Window>& shown) { return shown.get() == &window; });
}

std::shared_ptr<Window> WindowServer::keyWindow() const {
  std::lock_guard lock(mutex_);
  return key_.lock();
}

bool WindowServer::isApplicationActive() const {
  std::lock_guard lock(mutex_);
  return active_;
}

void WindowServer::setApplicationActive(bool active) {
  std::lock_guard lock(mutex_);
  active_ = active;
}

void WindowServer::setPeerFactory(PeerFactory factory) {
  std::lock_guard lock(mutex_);
  peerFactory_ = std::move(factory);
}

std::shared_ptr<WindowPeer> WindowServer::makePeer(Window& window) const {
  PeerFactory factory;
  {
    std::lock_guard lock(mutex_);
    factory = peerFactory_;
  }
  return factory ? factory(window) : nullptr;
}

}  // namespace platform

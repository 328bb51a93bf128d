#include "Platform/Desktop/Window.h"

#include <stdexcept>
#include <utility>

#include "Platform/Core/Environment.h"
#include "Platform/Desktop/WindowPeer.h"
#include "Platform/Desktop/WindowServer.h"

namespace platform {

Window::Window(Rect contentRect, std::uint64_t styleMask, int backing, bool defer)
    : styleMask_(styleMask), backing_(backing), deferred_(defer), frame_(contentRect) {}

Window::~Window() = default;

std::shared_ptr<WindowPeer> Window::peer() const {
  std::lock_guard lock(mutex_);
  return peer_;
}

void Window::updatePeer() const {
  if (const auto real = peer()) real->update(*this);
}

bool Window::canBecomeKeyWindow() const { return (styleMask_ & windowstyle::titled) != 0; }

Rect Window::frame() const {
  std::lock_guard lock(mutex_);
  return frame_;
}

void Window::setFrame(Rect frame, bool display) {
  {
    std::lock_guard lock(mutex_);
    frame_ = frame;
    if (display) ++displayCount_;
  }
  updatePeer();
}

int Window::displayCount() const {
  std::lock_guard lock(mutex_);
  return displayCount_;
}

std::optional<std::string> Window::identifier() const {
  std::lock_guard lock(mutex_);
  return identifier_;
}

void Window::setIdentifier(std::optional<std::string> identifier) {
  {
    std::lock_guard lock(mutex_);
    identifier_ = std::move(identifier);
  }
  updatePeer();
}

int Window::level() const {
  std::lock_guard lock(mutex_);
  return level_;
}

void Window::setLevel(int level) {
  {
    std::lock_guard lock(mutex_);
    level_ = level;
  }
  updatePeer();
}

Color Window::backgroundColor() const {
  std::lock_guard lock(mutex_);
  return background_;
}

void Window::setBackgroundColor(Color color) {
  {
    std::lock_guard lock(mutex_);
    background_ = color;
  }
  updatePeer();
}

bool Window::isMovableByWindowBackground() const {
  std::lock_guard lock(mutex_);
  return movableByBackground_;
}

void Window::setMovableByWindowBackground(bool movable) {
  {
    std::lock_guard lock(mutex_);
    movableByBackground_ = movable;
  }
  updatePeer();
}

bool Window::hasShadow() const {
  std::lock_guard lock(mutex_);
  return shadow_;
}

void Window::setHasShadow(bool shadow) {
  {
    std::lock_guard lock(mutex_);
    shadow_ = shadow;
  }
  updatePeer();
}

std::shared_ptr<WindowContent> Window::contentView() const {
  std::lock_guard lock(mutex_);
  return content_;
}

void Window::setContentView(std::shared_ptr<WindowContent> content) {
  std::shared_ptr<WindowPeer> real;
  std::shared_ptr<WindowContent> previous;
  {
    std::lock_guard lock(mutex_);
    previous = std::exchange(content_, content);
    real = peer_;
  }
  if (real) real->setContent(content);
  // The previous content goes here, after the peer let go of it, outside the lock.
  previous.reset();
}

std::shared_ptr<WindowServer> Window::server() const {
  auto server = Environment::current()->windowServer;
  if (!server) throw std::logic_error("the environment has no window server");
  return server;
}

void Window::makeKeyAndOrderFront() {
  const auto windows = server();
  std::shared_ptr<WindowPeer> real = peer();
  if (!real) {
    real = windows->makePeer(*this);
    if (real) {
      {
        std::lock_guard lock(mutex_);
        peer_ = real;
      }
      real->update(*this);
      real->setContent(contentView());
    }
  }
  windows->orderFront(shared_from_this(), canBecomeKeyWindow());
  if (real) real->orderFront(*this, canBecomeKeyWindow());
}

void Window::orderOut() {
  server()->orderOut(*this);
  if (const auto real = peer()) real->orderOut();
}

std::string Window::title() const {
  std::lock_guard lock(mutex_);
  return title_;
}

void Window::setTitle(std::string title) {
  {
    std::lock_guard lock(mutex_);
    title_ = std::move(title);
  }
  updatePeer();
}

void Window::setCloseHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  closeHandler_ = std::move(handler);
}

void Window::close() {
  std::function<void()> handler;
  {
    std::lock_guard lock(mutex_);
    if (!closed_) handler = std::move(closeHandler_);
    closeHandler_ = nullptr;
    closed_ = true;
  }
  if (handler) handler();
  orderOut();
}

bool Window::isClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool Window::isVisible() const { return server()->isOnScreen(*this); }

bool Window::isKeyWindow() const { return server()->keyWindow().get() == this; }

}  // namespace platform

#pragma once

#include <memory>

#include "Platform/Core/Geometry.h"
#include "Platform/Desktop/WindowPeer.h"

namespace platform {

class LinuxScreens;
class WebKitPageSurface;

// A Window as a real GTK 3 window holding one page surface (a WebKitGTK view) that fills it.
// - A window without the titled style is undecorated; above the normal level it is kept above
//   other windows and left out of the task bar and pager.
// - A clear or translucent background gets an RGBA visual while a compositor runs; without one
//   transparent pixels would be black, so the window is drawn opaque (white) instead.
// - The frame is the window's (screen coordinates, origin at the bottom left of the primary
//   monitor), turned into X11's at each move; the window lands exactly there.
// - Keys pressed in the window go to the surface's key handler before the page.
// - The user's close box closes the Window (its close handler runs) instead of destroying the
//   GTK window.
// Made, used and destroyed on the GTK thread, which is the main thread of the application.
class LinuxWindowPeer final : public WindowPeer, public std::enable_shared_from_this<LinuxWindowPeer> {
 public:
  static std::shared_ptr<LinuxWindowPeer> make(Window& window, std::shared_ptr<LinuxScreens> screens);
  ~LinuxWindowPeer() override;
  LinuxWindowPeer(const LinuxWindowPeer&) = delete;
  LinuxWindowPeer& operator=(const LinuxWindowPeer&) = delete;

  void update(const Window& window) override;
  void orderFront(const Window& window, bool makeKey) override;
  void orderOut() override;
  void setContent(const std::shared_ptr<WindowContent>& content) override;

  // The GtkWindow*.
  void* gtkWindow() const { return window_; }
  const std::shared_ptr<WebKitPageSurface>& surface() const { return surface_; }
  bool isTransparent() const { return transparent_; }
  // The window's close box was used.
  void closeRequested();

 private:
  LinuxWindowPeer(std::weak_ptr<Window> window, std::shared_ptr<LinuxScreens> screens);

  std::weak_ptr<Window> owner_;
  std::shared_ptr<LinuxScreens> screens_;
  void* window_ = nullptr;  // GtkWindow*, owned
  std::shared_ptr<WebKitPageSurface> surface_;
  std::shared_ptr<WindowContent> content_;
  bool transparent_ = false;
  Rect shownFrame_{-1, -1, -1, -1};
};

}  // namespace platform

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Text/Color.h"
#include "Platform/Core/Geometry.h"

namespace platform {

class WindowContent;
class WindowServer;
class WindowPeer;

// Window style bits, as the desktop numbers them.
namespace windowstyle {
constexpr std::uint64_t titled = 1;
constexpr std::uint64_t closable = 2;
constexpr std::uint64_t miniaturizable = 4;
constexpr std::uint64_t resizable = 8;
constexpr std::uint64_t fullSizeContentView = 0x8000;
}  // namespace windowstyle

// Window levels: ordinary windows, floating panels, modal panels.
namespace windowlevel {
constexpr int normal = 0;
constexpr int floating = 3;
constexpr int modalPanel = 8;
}  // namespace windowlevel

// A window of this application on the simulated desktop. Its frame is in screen coordinates
// (origin at the bottom left of the primary screen). A window is ordered on screen through the
// window server of the installed environment, which keeps it alive while it is on screen.
// Meant for the main thread; the state is guarded so tests may read it from anywhere.
class Window : public std::enable_shared_from_this<Window> {
 public:
  Window(Rect contentRect, std::uint64_t styleMask, int backing, bool defer);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Only a titled window can take the keyboard unless a subclass says otherwise.
  virtual bool canBecomeKeyWindow() const;

  std::uint64_t styleMask() const { return styleMask_; }
  int backing() const { return backing_; }
  bool isDeferred() const { return deferred_; }

  Rect frame() const;
  // `display` asks for a redraw, counted by displayCount().
  void setFrame(Rect frame, bool display);
  int displayCount() const;

  std::optional<std::string> identifier() const;
  void setIdentifier(std::optional<std::string> identifier);
  std::string title() const;
  void setTitle(std::string title);
  int level() const;
  void setLevel(int level);
  Color backgroundColor() const;
  void setBackgroundColor(Color color);
  bool isMovableByWindowBackground() const;
  void setMovableByWindowBackground(bool movable);
  bool hasShadow() const;
  void setHasShadow(bool shadow);

  std::shared_ptr<WindowContent> contentView() const;
  void setContentView(std::shared_ptr<WindowContent> content);

  // On screen, in front of the windows of its level; key when it can become key.
  void makeKeyAndOrderFront();
  // Off screen; it stays usable and may be ordered front again.
  void orderOut();
  // Off screen for good, as the user's close does. Runs the close handler first (once), on the
  // calling thread, outside the window's lock.
  void close();
  // What close() runs, whoever closes the window: its owner's close button or its close box.
  void setCloseHandler(std::function<void()> handler);
  bool isClosed() const;
  bool isVisible() const;
  bool isKeyWindow() const;

  // The real window on a desktop that has them (see WindowPeer); null before the first
  // ordering front and on the simulated desktop.
  std::shared_ptr<WindowPeer> peer() const;

 private:
  std::shared_ptr<WindowServer> server() const;
  // Tells the peer (if any) that the properties changed.
  void updatePeer() const;

  const std::uint64_t styleMask_;
  const int backing_;
  const bool deferred_;
  mutable std::mutex mutex_;
  Rect frame_;
  int displayCount_ = 0;
  std::optional<std::string> identifier_;
  std::string title_;
  std::function<void()> closeHandler_;
  int level_ = windowlevel::normal;
  Color background_ = Color::whiteColor();
  bool movableByBackground_ = false;
  bool shadow_ = true;
  std::shared_ptr<WindowContent> content_;
  bool closed_ = false;
  std::shared_ptr<WindowPeer> peer_;
};

}  // namespace platform

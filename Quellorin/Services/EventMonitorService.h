#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Event.h"
#include "Platform/Desktop/EventSystem.h"
#include "Platform/Core/Geometry.h"
#include "Quellorin/Services/CaretLine.h"

namespace platform {
class WorkItem;
}

namespace quellorin {

class AIService;
class TextHandlingService;
class WindowService;

// Watches the user's keys and mouse in every application through one global monitor, and
// turns two gestures into work:
//  - the global shortcut (stored under "GlobalShortcut") reads the selection with its place on
//    the screen and opens the floating window below it;
//  - three presses of the space bar, each within 1.0 s of the last (the bound included), arm a
//    0.2 s wait after which the line at the caret is translated into the language stored under
//    "SpecialKeyFeatureStatus" ("disabled" switches this off) and typed over the line. A fourth
//    press, another key or a mouse press before then disarms it.
// The service only observes: every key reaches the application in front as well.
//
// Threads: the key rules and the counter run on the main queue; the space-bar road runs on the
// task pool and the global-shortcut road returns to the main queue for the window. The
// counter's state is guarded, so a monitor may deliver on any thread.
class EventMonitorService : public std::enable_shared_from_this<EventMonitorService> {
 public:
  // Mouse down, up and dragged (left and right), and key down.
  static constexpr platform::EventMask monitoredEvents = 1246;

  EventMonitorService(std::shared_ptr<TextHandlingService> textHandling,
                      std::shared_ptr<WindowService> windows, std::shared_ptr<AIService> aiService);

  static std::shared_ptr<EventMonitorService> shared();

  // Installs the global monitor once; false when the desktop refused it (try again later).
  // While it is installed the shortcut's keys are kept from the application in front, and a
  // new "GlobalShortcut" takes the place of the old one (on the main queue, soon after it is
  // stored).
  bool installGlobalMonitor();
  // Removes the monitor, if one is installed, forgets its token and gives the keys back.
  void removeGlobalMonitor();
  bool hasGlobalMonitor() const;

  void handleMonitoredEvent(const platform::Event& event);
  void handleKeyDown(const platform::Event& event, double timestamp);
  void handleSpacePress(const std::string& status, double timestamp);
  void fireSpaceTrigger(const std::string& status);
  std::int64_t spacePressCount() const;

  // --- The global-shortcut road ----------------------------------------------------------------
  void handleGlobalShortcut();
  void showWindowForSelection();
  // Centred on the screen under the mouse, 96 points above its centre; (0, 0) without one.
  platform::Point defaultWindowOrigin() const;
  static std::optional<platform::Rect> screenContaining(platform::Point point);

  // --- The space-bar road --------------------------------------------------------------------
  // Returns at once; the road goes on on the task pool.
  void handleSpaceTrigger(const std::string& status);
  // Sends `line` for translation into `status` and types the answer over the selected line as
  // it streams in, in stream order, on the thread that reads the stream. When the stream ends
  // in an error after typing began, the typed text is replaced by the original line again.
  // Blocks until the stream has ended; on the task pool.
  void fastTranslate(const std::string& status, const CaretLine& line);

 private:
  void resetSpaceCount();
  // Reserves the stored shortcut while the monitor is installed; main queue.
  void reserveShortcut();

  const std::shared_ptr<TextHandlingService> textHandling_;
  const std::shared_ptr<WindowService> windows_;
  const std::shared_ptr<AIService> aiService_;

  mutable std::mutex mutex_;
  std::shared_ptr<platform::WorkItem> debounceTimer_;
  std::int64_t spacePressCount_ = 0;
  double lastKeyPressTime_ = 0;
  std::optional<platform::EventSystem::MonitorToken> globalMonitor_;
  std::optional<platform::UserDefaults::ObserverToken> shortcutObserver_;
};

}  // namespace quellorin

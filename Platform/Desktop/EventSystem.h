#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "Platform/Desktop/Event.h"

namespace platform {

// The desktop's event system as this application uses it: a global monitor of the user's key
// and mouse events (listen only: the application the user types into still gets them), and
// synthetic key events posted as if they came from the keyboard to the application in front.
// Key codes are the desktop's virtual ones (`keycode`); a key down whose `characters` are set
// types those characters whatever the key. Command+C is the copy command; an implementation
// on a desktop with another copy shortcut posts that one. Implementations are thread-safe.
class EventSystem {
 public:
  using Handler = std::function<void(const Event&)>;

  // Identifies an installed global monitor.
  struct MonitorToken {
    std::uint64_t id = 0;
    bool operator==(const MonitorToken&) const = default;
  };

  // What a synthetic event needs to be made (the state of the real keyboard).
  struct EventSource {
    int stateID = 1;
  };

  virtual ~EventSystem() = default;

  // Installs a monitor of the events whose types are in `mask`; none when refused. The handler
  // runs on the thread that delivers the user's input (the main thread), never for the
  // synthetic events this process posts.
  virtual std::optional<MonitorToken> addGlobalMonitor(EventMask mask, Handler handler) = 0;
  // Removes the monitor; after it returns the handler is not called again.
  virtual void removeMonitor(const MonitorToken& token) = 0;

  virtual std::optional<EventSource> makeEventSource() const = 0;
  // A key down or key up of `keyCode`; none when the event cannot be made.
  virtual std::optional<Event> makeKeyboardEvent(const EventSource& source, std::uint16_t keyCode,
                                                 bool keyDown) const = 0;
  // Posts the event to the application in front.
  virtual void post(const Event& event) = 0;

  // Keeps the key combination (the global shortcut) from the application in front, so that the
  // keys that ask to capture a selection do not change it; the monitors still see them. Replaces
  // the combination reserved before; none gives it back.
  virtual void reserveKeyCombination(std::optional<KeyCombination> combination) = 0;
};

}  // namespace platform

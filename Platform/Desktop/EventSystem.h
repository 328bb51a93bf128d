#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Desktop/Event.h"

namespace platform {

class Accessibility;
class Pasteboard;

// The simulated desktop's event system: the global event stream with its monitors, and
// synthetic key events posted as if they came from the keyboard. The application in front
// reacts to both the way an editor does: a key down that carries characters replaces the
// focused element's selection with them; Command+C copies the selection to the pasteboard.
// Thread-safe. Monitors run on the thread that delivers the event (the main thread, where the
// desktop delivers user input), without the system's lock held.
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

  EventSystem(std::shared_ptr<Accessibility> accessibility, std::shared_ptr<Pasteboard> pasteboard);
  EventSystem(const EventSystem&) = delete;
  EventSystem& operator=(const EventSystem&) = delete;

  // --- Global monitors -----------------------------------------------------------------------
  // Installs a monitor of the events whose types are in `mask`; none when refused.
  std::optional<MonitorToken> addGlobalMonitor(EventMask mask, Handler handler);
  // Removes the monitor; removing a token that is not installed is misuse, counted in
  // invalidRemovals().
  void removeMonitor(const MonitorToken& token);
  std::size_t monitorCount() const;
  std::size_t invalidRemovals() const;

  // --- Synthetic events ----------------------------------------------------------------------
  std::optional<EventSource> makeEventSource() const;
  // A key down or key up of `keyCode`; none when event creation is made to fail.
  std::optional<Event> makeKeyboardEvent(const EventSource& source, std::uint16_t keyCode,
                                         bool keyDown) const;
  // Posts at the system's event tap: the application in front receives it. Monitors of this
  // process do not see its own synthetic events.
  void post(const Event& event);
  // Every synthetic event the application in front received, in order.
  std::vector<Event> postedEvents() const;

  // --- The desktop side ----------------------------------------------------------------------
  // The user acts: the monitors whose mask holds the type see the event, then the application
  // in front receives it.
  void deliverUserEvent(const Event& event);
  void refuseMonitors(bool refuse);
  void failEventSourceCreation(bool fail);
  void failEventCreation(bool fail);
  // Posted events are dropped, as when another process holds secure keyboard entry.
  void dropPostedEvents(bool drop);
  // The application in front does not answer Command+C.
  void ignoreCopyCommand(bool ignore);

 private:
  void receiveInFrontApplication(const Event& event);

  const std::shared_ptr<Accessibility> accessibility_;
  const std::shared_ptr<Pasteboard> pasteboard_;
  mutable std::mutex mutex_;
  std::map<std::uint64_t, std::pair<EventMask, Handler>> monitors_;
  std::uint64_t nextMonitorId_ = 1;
  std::size_t invalidRemovals_ = 0;
  std::vector<Event> posted_;
  bool refuseMonitors_ = false;
  bool failSource_ = false;
  bool failEvent_ = false;
  bool dropPosted_ = false;
  bool ignoreCopy_ = false;
};

}  // namespace platform

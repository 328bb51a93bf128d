#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Desktop/Event.h"
#include "Platform/Desktop/EventSystem.h"

namespace platform {

class SimulatedAccessibility;
class Pasteboard;

// The simulated desktop's event system: the global event stream with its monitors, and
// synthetic key events posted as if they came from the keyboard. The application in front
// reacts to both the way an editor does: a key down that carries characters replaces the
// focused element's selection with them; Command+C copies the selection to the pasteboard.
// Thread-safe. Monitors run on the thread that delivers the event (the main thread, where the
// desktop delivers user input), without the system's lock held.
class SimulatedEventSystem final : public EventSystem {
 public:
  SimulatedEventSystem(std::shared_ptr<SimulatedAccessibility> accessibility,
                       std::shared_ptr<Pasteboard> pasteboard);
  SimulatedEventSystem(const SimulatedEventSystem&) = delete;
  SimulatedEventSystem& operator=(const SimulatedEventSystem&) = delete;

  // --- Global monitors -----------------------------------------------------------------------
  // Installs a monitor of the events whose types are in `mask`; none when refused.
  std::optional<MonitorToken> addGlobalMonitor(EventMask mask, Handler handler) override;
  // Removes the monitor; removing a token that is not installed is misuse, counted in
  // invalidRemovals().
  void removeMonitor(const MonitorToken& token) override;
  std::size_t monitorCount() const;
  std::size_t invalidRemovals() const;

  // --- Synthetic events ----------------------------------------------------------------------
  std::optional<EventSource> makeEventSource() const override;
  // A key down or key up of `keyCode`; none when event creation is made to fail.
  std::optional<Event> makeKeyboardEvent(const EventSource& source, std::uint16_t keyCode,
                                         bool keyDown) const override;
  // Posts at the system's event tap: the application in front receives it. Monitors of this
  // process do not see its own synthetic events.
  void post(const Event& event) override;
  void reserveKeyCombination(std::optional<KeyCombination> combination) override;
  std::optional<KeyCombination> reservedKeyCombination() const;
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

  const std::shared_ptr<SimulatedAccessibility> accessibility_;
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
  std::optional<KeyCombination> reserved_;
};

}  // namespace platform

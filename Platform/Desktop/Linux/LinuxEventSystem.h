#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Desktop/EventSystem.h"

namespace platform {

class DesktopThread;
class MainQueue;

// The event system of an X11 desktop.
//
// The global monitor listens to XInput2 raw key and button events on the root window from a
// thread and display connection of its own: every press and release arrives, and the
// application the user types into still gets them (nothing is grabbed). Raw events carry no
// modifier state: it is tracked from the presses and releases of the modifier keys (a release
// of a key that is not down changes nothing). Monitors run on `mainQueue`.
//
// Synthetic keys go through XTest on another connection. Virtual key codes are posted as their
// keys on this desktop (the command key as Control, so that Command+C is this desktop's copy
// shortcut); a key down with characters types them: characters the keymap has are pressed with
// their key (and Shift where needed), any other through a spare key code mapped to the
// character's keysym. A spare key code keeps its character until it is needed for another one
// at least `remapDelay` after it was typed (the application looks the keysym up when it handles
// the key, which may be a while later), and every spare code is restored shortly after typing
// stops.
//
// The monitor ignores the synthetic keys this object posted (they come back from the XTEST
// device); keys that other processes inject through XTest are the user's.
class LinuxEventSystem final : public EventSystem {
 public:
  // Throws std::runtime_error when the display cannot be opened or has no XInput2 or XTest.
  // `desktop` hears of every character typed (see DesktopThread::noteTyped).
  LinuxEventSystem(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<DesktopThread> desktop);
  ~LinuxEventSystem() override;
  LinuxEventSystem(const LinuxEventSystem&) = delete;
  LinuxEventSystem& operator=(const LinuxEventSystem&) = delete;

  std::optional<MonitorToken> addGlobalMonitor(EventMask mask, Handler handler) override;
  void removeMonitor(const MonitorToken& token) override;
  std::optional<EventSource> makeEventSource() const override;
  std::optional<Event> makeKeyboardEvent(const EventSource& source, std::uint16_t keyCode,
                                         bool keyDown) const override;
  void post(const Event& event) override;
  // A passive grab of the combination on the root window (with and without Caps Lock and Num
  // Lock), so that the application in front does not get it.
  void reserveKeyCombination(std::optional<KeyCombination> combination) override;

  // Waits until the server has handled every key posted so far.
  void flush();

 private:
  struct Monitors;
  class Typist;

  void listen();
  void deliver(const Event& event);

  const std::shared_ptr<MainQueue> mainQueue_;
  const std::shared_ptr<Monitors> monitors_;
  std::unique_ptr<Typist> typist_;
  void* listenDisplay_ = nullptr;  // Display*, used by the listening thread only
  int xiOpcode_ = 0;
  int wakePipe_[2] = {-1, -1};
  std::thread listener_;
  std::mutex grabMutex_;
  std::vector<std::pair<unsigned, unsigned>> grabs_;  // key code and modifier mask
};

}  // namespace platform

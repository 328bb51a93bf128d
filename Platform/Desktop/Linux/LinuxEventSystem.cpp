#include "Platform/Desktop/Linux/LinuxEventSystem.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/KeyTranslation.h"
#include "Platform/Dispatch/MainQueue.h"

namespace platform {
namespace {

Display* display(void* handle) { return static_cast<Display*>(handle); }

// How long a spare key code keeps the character it was mapped to after its key was typed.
constexpr auto remapDelay = std::chrono::milliseconds(50);
// How long after the last typed character the spare key codes are given back.
constexpr auto restoreDelay = std::chrono::milliseconds(300);

int xtestKeyboardId(Display* connection) {
  int count = 0;
  XIDeviceInfo* devices = XIQueryDevice(connection, XIAllDevices, &count);
  int found = -1;
  for (int i = 0; i < count; ++i) {
    if (std::string(devices[i].name) == "Virtual core XTEST keyboard") found = devices[i].deviceid;
  }
  XIFreeDeviceInfo(devices);
  return found;
}

}  // namespace

// The monitors and what the listening thread knows; shared with work queued on the main queue.
struct LinuxEventSystem::Monitors {
  std::mutex mutex;
  std::map<std::uint64_t, std::pair<EventMask, Handler>> handlers;
  std::uint64_t nextId = 1;
  std::set<unsigned> modifiersDown;  // X key codes of the modifier keys held by the user
  std::uint64_t modifierFlags = 0;
  std::multiset<std::pair<unsigned, bool>> echoes;  // keys posted here and not yet seen back
  int xtestKeyboard = -1;
};

// Types characters through XTest on a connection of its own. Thread-safe.
class LinuxEventSystem::Typist {
 public:
  Typist(std::shared_ptr<Monitors> monitors, std::shared_ptr<DesktopThread> desktop)
      : monitors_(std::move(monitors)), desktop_(std::move(desktop)) {
    connection_ = XOpenDisplay(nullptr);
    if (connection_ == nullptr) throw std::runtime_error("cannot open the X11 display named by DISPLAY");
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(connection_, &event, &error, &major, &minor)) {
      XCloseDisplay(connection_);
      throw std::runtime_error("the X11 display has no XTest extension");
    }
    findSpareKeyCodes();
    restorer_ = std::thread([this] { restoreWhenQuiet(); });
  }

  ~Typist() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    restorer_.join();
    std::lock_guard lock(mutex_);
    restoreSpareKeyCodes();
    XCloseDisplay(connection_);
  }

  // Presses and releases the key of a virtual key code.
  void postKey(unsigned long keysym, bool down) {
    std::lock_guard lock(mutex_);
    const KeyCode code = XKeysymToKeycode(connection_, keysym);
    if (code == 0) return;
    fakeKey(code, down);
    XFlush(connection_);
  }

  void type(std::u16string_view units) {
    std::lock_guard lock(mutex_);
    pendingUnits_.append(units);
    // A high surrogate waits for its other half.
    std::size_t complete = pendingUnits_.size();
    if (complete > 0 && pendingUnits_.back() >= 0xD800 && pendingUnits_.back() <= 0xDBFF) --complete;
    const auto text = unicode::toUTF8(std::u16string_view(pendingUnits_).substr(0, complete));
    pendingUnits_.erase(0, complete);
    const auto codePoints = unicode::toUTF32(text);
    desktop_->noteTyped(static_cast<std::int64_t>(codePoints.size()));
    for (const char32_t codePoint : codePoints) typeCodePoint(codePoint);
    // Handled by the server, so in the application's queue before whatever is asked of it next
    // (reading or selecting its text through accessibility).
    XSync(connection_, False);
    lastTyped_ = std::chrono::steady_clock::now();
    wake_.notify_all();
  }

  void flush() {
    std::lock_guard lock(mutex_);
    XSync(connection_, False);
  }

 private:
  struct Spare {
    KeyCode code = 0;
    KeySym keysym = NoSymbol;
    std::chrono::steady_clock::time_point used;
  };

  void fakeKey(KeyCode code, bool down) {
    {
      std::lock_guard lock(monitors_->mutex);
      monitors_->echoes.insert({code, down});
    }
    XTestFakeKeyEvent(connection_, code, down ? True : False, CurrentTime);
  }

  void typeCodePoint(char32_t codePoint) {
    const KeySym keysym = keytranslation::keysymForCodePoint(codePoint);
    const KeyCode code = XKeysymToKeycode(connection_, keysym);
    if (code != 0 && !isSpare(code)) {
      if (XkbKeycodeToKeysym(connection_, code, 0, 0) == keysym) {
        fakeKey(code, true);
        fakeKey(code, false);
        return;
      }
      if (XkbKeycodeToKeysym(connection_, code, 0, 1) == keysym) {
        const KeyCode shift = XKeysymToKeycode(connection_, XK_Shift_L);
        fakeKey(shift, true);
        fakeKey(code, true);
        fakeKey(code, false);
        fakeKey(shift, false);
        return;
      }
    }
    if (spares_.empty()) {
      log("typing: no spare key code for U+" + std::to_string(static_cast<unsigned>(codePoint)));
      return;
    }
    auto spare =
        std::find_if(spares_.begin(), spares_.end(), [&](const Spare& s) { return s.keysym == keysym; });
    if (spare == spares_.end()) {
      spare = std::min_element(spares_.begin(), spares_.end(),
                               [](const Spare& a, const Spare& b) { return a.used < b.used; });
      if (spare->keysym != NoSymbol) {
        // The application may not have looked up the character this code typed last.
        XSync(connection_, False);
        std::this_thread::sleep_until(spare->used + remapDelay);
      }
      KeySym both[2] = {keysym, keysym};
      XChangeKeyboardMapping(connection_, spare->code, 2, both, 1);
      spare->keysym = keysym;
    }
    fakeKey(spare->code, true);
    fakeKey(spare->code, false);
    spare->used = std::chrono::steady_clock::now();
  }

  bool isSpare(KeyCode code) const {
    return std::any_of(spares_.begin(), spares_.end(), [&](const Spare& s) { return s.code == code; });
  }

  void findSpareKeyCodes() {
    int minimum = 0, maximum = 0;
    XDisplayKeycodes(connection_, &minimum, &maximum);
    int perCode = 0;
    KeySym* map =
        XGetKeyboardMapping(connection_, static_cast<KeyCode>(minimum), maximum - minimum + 1, &perCode);
    for (int code = minimum; code <= maximum; ++code) {
      const KeySym* syms = map + (code - minimum) * perCode;
      if (std::all_of(syms, syms + perCode, [](KeySym s) { return s == NoSymbol; })) {
        spares_.push_back({static_cast<KeyCode>(code), NoSymbol, {}});
      }
    }
    XFree(map);
  }

  void restoreSpareKeyCodes() {
    for (auto& spare : spares_) {
      if (spare.keysym == NoSymbol) continue;
      KeySym none[2] = {NoSymbol, NoSymbol};
      XChangeKeyboardMapping(connection_, spare.code, 2, none, 1);
      spare.keysym = NoSymbol;
    }
    XFlush(connection_);
  }

  void restoreWhenQuiet() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      const bool mapped =
          std::any_of(spares_.begin(), spares_.end(), [](const Spare& s) { return s.keysym != NoSymbol; });
      if (!mapped) {
        wake_.wait(lock);
        continue;
      }
      const auto due = lastTyped_ + restoreDelay;
      if (std::chrono::steady_clock::now() >= due) {
        restoreSpareKeyCodes();
      } else {
        wake_.wait_until(lock, due);
      }
    }
  }

  const std::shared_ptr<Monitors> monitors_;
  const std::shared_ptr<DesktopThread> desktop_;
  std::mutex mutex_;
  std::condition_variable wake_;
  Display* connection_ = nullptr;
  std::vector<Spare> spares_;
  std::u16string pendingUnits_;
  std::chrono::steady_clock::time_point lastTyped_;
  bool stopping_ = false;
  std::thread restorer_;
};

LinuxEventSystem::LinuxEventSystem(std::shared_ptr<MainQueue> mainQueue,
                                   std::shared_ptr<DesktopThread> desktop)
    : mainQueue_(std::move(mainQueue)), monitors_(std::make_shared<Monitors>()) {
  typist_ = std::make_unique<Typist>(monitors_, std::move(desktop));
  Display* connection = XOpenDisplay(nullptr);
  if (connection == nullptr) throw std::runtime_error("cannot open the X11 display named by DISPLAY");
  int event = 0, error = 0;
  int major = 2, minor = 0;
  if (!XQueryExtension(connection, "XInputExtension", &xiOpcode_, &event, &error) ||
      XIQueryVersion(connection, &major, &minor) != Success) {
    XCloseDisplay(connection);
    throw std::runtime_error("the X11 display has no XInput2 extension");
  }
  monitors_->xtestKeyboard = xtestKeyboardId(connection);
  unsigned char maskBits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(maskBits, XI_RawKeyPress);
  XISetMask(maskBits, XI_RawKeyRelease);
  XISetMask(maskBits, XI_RawButtonPress);
  XISetMask(maskBits, XI_RawButtonRelease);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof maskBits), maskBits};
  XISelectEvents(connection, DefaultRootWindow(connection), &mask, 1);
  XSync(connection, False);
  if (pipe(wakePipe_) != 0) {
    XCloseDisplay(connection);
    throw std::runtime_error("cannot make the event listener's pipe");
  }
  listenDisplay_ = connection;
  listener_ = std::thread([this] { listen(); });
}

LinuxEventSystem::~LinuxEventSystem() {
  const char stop = 0;
  if (write(wakePipe_[1], &stop, 1) != 1) log("event listener: cannot wake the listening thread");
  listener_.join();
  XCloseDisplay(display(listenDisplay_));
  close(wakePipe_[0]);
  close(wakePipe_[1]);
}

std::optional<EventSystem::MonitorToken> LinuxEventSystem::addGlobalMonitor(EventMask mask, Handler handler) {
  std::lock_guard lock(monitors_->mutex);
  const auto id = monitors_->nextId++;
  monitors_->handlers.emplace(id, std::make_pair(mask, std::move(handler)));
  return MonitorToken{id};
}

void LinuxEventSystem::removeMonitor(const MonitorToken& token) {
  std::lock_guard lock(monitors_->mutex);
  if (monitors_->handlers.erase(token.id) == 0)
    log("event monitor: removing a monitor that is not installed");
}

std::optional<EventSystem::EventSource> LinuxEventSystem::makeEventSource() const { return EventSource{}; }

std::optional<Event> LinuxEventSystem::makeKeyboardEvent(const EventSource&, std::uint16_t keyCode,
                                                         bool keyDown) const {
  Event event;
  event.type = keyDown ? EventType::keyDown : EventType::keyUp;
  event.keyCode = keyCode;
  return event;
}

void LinuxEventSystem::post(const Event& event) {
  if (event.type != EventType::keyDown && event.type != EventType::keyUp) return;
  if (!event.characters.empty()) {
    // The key down types the characters whole; its key up has nothing left to do.
    if (event.type == EventType::keyDown) typist_->type(event.characters);
    return;
  }
  const auto keysym = keytranslation::keysymForVirtualKeyCode(event.keyCode);
  if (!keysym) return;
  typist_->postKey(*keysym, event.type == EventType::keyDown);
}

void LinuxEventSystem::flush() { typist_->flush(); }

void LinuxEventSystem::reserveKeyCombination(std::optional<KeyCombination> combination) {
  std::lock_guard lock(grabMutex_);
  Display* connection = display(listenDisplay_);
  const Window root = DefaultRootWindow(connection);
  for (const auto& [code, modifiers] : grabs_)
    XUngrabKey(connection, static_cast<int>(code), modifiers, root);
  grabs_.clear();
  const auto keysym =
      combination ? keytranslation::keysymForVirtualKeyCode(combination->keyCode) : std::nullopt;
  const KeyCode code = keysym ? XKeysymToKeycode(connection, *keysym) : 0;
  if (code != 0) {
    unsigned modifiers = 0;
    if ((combination->modifierFlags & 0x20000) != 0) modifiers |= ShiftMask;
    if ((combination->modifierFlags & 0x40000) != 0) modifiers |= ControlMask;
    if ((combination->modifierFlags & 0x80000) != 0) modifiers |= Mod1Mask;
    if ((combination->modifierFlags & 0x100000) != 0) modifiers |= Mod4Mask;
    for (const unsigned locks : {0u, static_cast<unsigned>(LockMask), static_cast<unsigned>(Mod2Mask),
                                 static_cast<unsigned>(LockMask | Mod2Mask)}) {
      XGrabKey(connection, code, modifiers | locks, root, False, GrabModeAsync, GrabModeAsync);
      grabs_.emplace_back(code, modifiers | locks);
    }
  }
  XSync(connection, False);
}

void LinuxEventSystem::listen() {
  Display* connection = display(listenDisplay_);
  pollfd waits[2] = {{ConnectionNumber(connection), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
  while (true) {
    while (XPending(connection) > 0) {
      XEvent xevent;
      XNextEvent(connection, &xevent);
      XGenericEventCookie* cookie = &xevent.xcookie;
      if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ ||
          !XGetEventData(connection, cookie)) {
        continue;
      }
      const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
      const auto code = static_cast<unsigned>(raw->detail);
      std::optional<Event> event;
      if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
        const bool down = cookie->evtype == XI_RawKeyPress;
        const KeySym keysym = XkbKeycodeToKeysym(connection, static_cast<KeyCode>(code), 0, 0);
        std::lock_guard lock(monitors_->mutex);
        if (raw->sourceid == monitors_->xtestKeyboard) {
          const auto echo = monitors_->echoes.find({code, down});
          if (echo != monitors_->echoes.end()) {
            monitors_->echoes.erase(echo);
            XFreeEventData(connection, cookie);
            continue;
          }
        }
        if (const auto flag = keytranslation::modifierFlag(keysym); flag != 0) {
          if (down) {
            monitors_->modifiersDown.insert(code);
          } else {
            monitors_->modifiersDown.erase(code);
          }
          std::uint64_t flags = 0;
          for (const auto held : monitors_->modifiersDown) {
            flags |= keytranslation::modifierFlag(
                XkbKeycodeToKeysym(connection, static_cast<KeyCode>(held), 0, 0));
          }
          monitors_->modifierFlags = flags;
        }
        Event key;
        key.type = down ? EventType::keyDown : EventType::keyUp;
        key.keyCode = keytranslation::virtualKeyCode(keysym).value_or(0xFFFF);
        key.modifierFlags = monitors_->modifierFlags;
        key.timestamp = static_cast<double>(raw->time) / 1000.0;
        key.isARepeat = (raw->flags & XIKeyRepeat) != 0;
        key.characters = keytranslation::charactersOfKeysym(keysym);
        event = key;
      } else if (cookie->evtype == XI_RawButtonPress || cookie->evtype == XI_RawButtonRelease) {
        const bool down = cookie->evtype == XI_RawButtonPress;
        if (code == 1 || code == 3) {
          Event button;
          button.type = code == 1 ? (down ? EventType::leftMouseDown : EventType::leftMouseUp)
                                  : (down ? EventType::rightMouseDown : EventType::rightMouseUp);
          button.timestamp = static_cast<double>(raw->time) / 1000.0;
          std::lock_guard lock(monitors_->mutex);
          button.modifierFlags = monitors_->modifierFlags;
          event = button;
        }
      }
      XFreeEventData(connection, cookie);
      if (event) deliver(*event);
    }
    if (poll(waits, 2, -1) < 0) continue;
    if ((waits[1].revents & POLLIN) != 0) return;
  }
}

void LinuxEventSystem::deliver(const Event& event) {
  std::weak_ptr<Monitors> weak = monitors_;
  mainQueue_->async([weak, event] {
    const auto monitors = weak.lock();
    if (!monitors) return;
    std::vector<std::pair<std::uint64_t, Handler>> due;
    {
      std::lock_guard lock(monitors->mutex);
      for (const auto& [id, monitor] : monitors->handlers) {
        if ((monitor.first & eventMask(event.type)) != 0) due.emplace_back(id, monitor.second);
      }
    }
    for (const auto& [id, handler] : due) {
      {
        // Removed by an earlier handler of this same event: not called again.
        std::lock_guard lock(monitors->mutex);
        if (!monitors->handlers.contains(id)) continue;
      }
      handler(event);
    }
  });
}

}  // namespace platform

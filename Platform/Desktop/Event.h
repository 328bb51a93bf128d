#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Event types, with the desktop's numbers.
enum class EventType : int {
  leftMouseDown = 1,
  leftMouseUp = 2,
  rightMouseDown = 3,
  rightMouseUp = 4,
  mouseMoved = 5,
  leftMouseDragged = 6,
  rightMouseDragged = 7,
  keyDown = 10,
  keyUp = 11,
};

// A set of event types, one bit per type number.
using EventMask = std::uint64_t;

constexpr EventMask eventMask(EventType type) { return EventMask{1} << static_cast<int>(type); }

// One mouse or key event. `timestamp` is in seconds since system start-up; `characters` is
// the text a key event carries, in UTF-16 units (one unit for a half of a surrogate pair).
struct Event {
  EventType type = EventType::keyDown;
  std::uint16_t keyCode = 0;
  std::uint64_t modifierFlags = 0;
  double timestamp = 0;
  bool isARepeat = false;
  std::u16string characters;
  bool operator==(const Event&) const = default;
};

// A key with the modifiers held with it (the desktop's flag bits).
struct KeyCombination {
  std::uint16_t keyCode = 0;
  std::uint64_t modifierFlags = 0;
  bool operator==(const KeyCombination&) const = default;
};

// The shift, control, option and command bits of the modifier flags: those a key combination
// names.
constexpr std::uint64_t combinationModifierFlags = 0x1E0000;

// Virtual key codes that the system itself uses.
namespace keycode {
constexpr std::uint16_t a = 0;
constexpr std::uint16_t c = 8;
constexpr std::uint16_t space = 49;
constexpr std::uint16_t command = 54;
}  // namespace keycode

// The Command bit of the modifier flags.
constexpr std::uint64_t commandKeyFlag = 0x100000;

}  // namespace platform

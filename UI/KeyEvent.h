#pragma once

#include <cstdint>
#include <string>

namespace ui {

// Modifier bits of a key event, the desktop's device-independent flags.
namespace modifier {
constexpr std::uint64_t shift = 1ULL << 17;
constexpr std::uint64_t control = 1ULL << 18;
constexpr std::uint64_t option = 1ULL << 19;
constexpr std::uint64_t command = 1ULL << 20;
// The bits a keyboard shortcut compares; other bits (caps lock, function key) are ignored.
constexpr std::uint64_t shortcutMask = shift | control | option | command;
}  // namespace modifier

// Virtual key codes of the keys the views name.
namespace keycode {
constexpr std::uint16_t returnKey = 36;
constexpr std::uint16_t tab = 48;
constexpr std::uint16_t space = 49;
constexpr std::uint16_t deleteKey = 51;
constexpr std::uint16_t escape = 53;
constexpr std::uint16_t leftArrow = 123;
constexpr std::uint16_t rightArrow = 124;
constexpr std::uint16_t downArrow = 125;
constexpr std::uint16_t upArrow = 126;
}  // namespace keycode

// One key press as the host receives it. `characters` is UTF-8: what the key types with its
// modifiers; `charactersIgnoringModifiers` what it types without them (empty for keys that
// type nothing, such as the arrows).
struct KeyEvent {
  std::uint16_t keyCode = 0;
  std::string characters;
  std::string charactersIgnoringModifiers;
  std::uint64_t modifierFlags = 0;

  // A key that types `text` (e.g. "k"), with `flags`. Key codes of such keys are not compared.
  static KeyEvent character(std::string text, std::uint64_t flags = 0);
  // A key known by its code (escape, arrows, return...), with `flags`.
  static KeyEvent code(std::uint16_t keyCode, std::uint64_t flags = 0);

  bool has(std::uint64_t flag) const { return (modifierFlags & flag) != 0; }
};

// A button's keyboard shortcut: a key and exact modifiers. The key is either one character
// ("1", "k", compared without case against the event's charactersIgnoringModifiers) or a key
// code (escape, arrows), when `keyCode` is set.
struct KeyboardShortcut {
  std::string key;
  std::uint16_t keyCode = 0;
  std::uint64_t modifiers = modifier::command;

  static KeyboardShortcut character(std::string key, std::uint64_t modifiers = modifier::command);
  static KeyboardShortcut code(std::uint16_t keyCode, std::uint64_t modifiers = modifier::command);

  bool matches(const KeyEvent& event) const;
  // A readable form, such as "⌘1" or "⌘⎋", for tooltips and HTML.
  std::string displayString() const;
  bool operator==(const KeyboardShortcut&) const = default;
};

}  // namespace ui

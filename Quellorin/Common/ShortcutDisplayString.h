#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Desktop/Event.h"

namespace quellorin {

// Modifier bits of a key event, as the desktop reports them.
namespace modifier {
constexpr std::uint64_t capsLock = 0x10000;
constexpr std::uint64_t shift = 0x20000;
constexpr std::uint64_t control = 0x40000;
constexpr std::uint64_t option = 0x80000;
constexpr std::uint64_t command = 0x100000;
constexpr std::uint64_t numericPad = 0x200000;
constexpr std::uint64_t function = 0x800000;
}  // namespace modifier

// The text that names a key combination everywhere (stored under "GlobalShortcut" and
// compared as text): "⌘", "⌥", "⌃", "⇧" for the modifiers present, always in that order,
// then the key's name, joined by " + ". Other modifier bits are ignored.
std::string shortcutDisplayString(std::uint16_t keyCode, std::uint64_t modifierFlags);

// The key combination a display string names; none for a text that names no key of the table.
std::optional<platform::KeyCombination> parseShortcutDisplayString(std::string_view text);

// The key's name from the fixed key-name table, or "未知键(N)" for a code it lacks.
std::string keyCodeDisplayName(std::uint16_t keyCode);

}  // namespace quellorin

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::keytranslation {

// The desktop's virtual key code of an X keysym, and back. Letters map to their key whatever
// their case; the modifier keys map as this desktop presents them to a user: Super is the
// command key, Alt the option key, Control the control key.
std::optional<std::uint16_t> virtualKeyCode(unsigned long keysym);
std::optional<unsigned long> keysymForVirtualKeyCode(std::uint16_t keyCode);

// The modifier flag (the desktop's bits, as in Event::modifierFlags) that a key holds while it
// is down; 0 for a key that is no modifier.
std::uint64_t modifierFlag(unsigned long keysym);

// The keysym that types `codePoint` ("\n" is Return, "\t" Tab).
unsigned long keysymForCodePoint(char32_t codePoint);
// The text a key types without modifiers, in UTF-16 units; empty for keys that type nothing.
std::u16string charactersOfKeysym(unsigned long keysym);

}  // namespace platform::keytranslation

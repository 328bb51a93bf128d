#include "UI/KeyEvent.h"

#include <algorithm>
#include <cctype>

namespace ui {

namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

KeyEvent KeyEvent::character(std::string text, std::uint64_t flags) {
  KeyEvent event;
  event.characters = text;
  event.charactersIgnoringModifiers = std::move(text);
  event.modifierFlags = flags;
  return event;
}

KeyEvent KeyEvent::code(std::uint16_t keyCode, std::uint64_t flags) {
  KeyEvent event;
  event.keyCode = keyCode;
  event.modifierFlags = flags;
  if (keyCode == keycode::returnKey) event.characters = event.charactersIgnoringModifiers = "\r";
  if (keyCode == keycode::tab) event.characters = event.charactersIgnoringModifiers = "\t";
  if (keyCode == keycode::space) event.characters = event.charactersIgnoringModifiers = " ";
  return event;
}

KeyboardShortcut KeyboardShortcut::character(std::string key, std::uint64_t modifiers) {
  return {lowered(std::move(key)), 0, modifiers};
}

KeyboardShortcut KeyboardShortcut::code(std::uint16_t keyCode, std::uint64_t modifiers) {
  return {"", keyCode, modifiers};
}

bool KeyboardShortcut::matches(const KeyEvent& event) const {
  if ((event.modifierFlags & modifier::shortcutMask) != (modifiers & modifier::shortcutMask)) return false;
  if (keyCode != 0) return event.keyCode == keyCode;
  return !key.empty() && lowered(event.charactersIgnoringModifiers) == key;
}

std::string KeyboardShortcut::displayString() const {
  std::string text;
  if (modifiers & modifier::control) text += "⌃";
  if (modifiers & modifier::option) text += "⌥";
  if (modifiers & modifier::shift) text += "⇧";
  if (modifiers & modifier::command) text += "⌘";
  switch (keyCode) {
    case 0:
      text += key;
      break;
    case keycode::escape:
      text += "⎋";
      break;
    case keycode::leftArrow:
      text += "←";
      break;
    case keycode::rightArrow:
      text += "→";
      break;
    case keycode::upArrow:
      text += "↑";
      break;
    case keycode::downArrow:
      text += "↓";
      break;
    case keycode::returnKey:
      text += "↩";
      break;
    case keycode::tab:
      text += "⇥";
      break;
    case keycode::space:
      text += "␣";
      break;
    case keycode::deleteKey:
      text += "⌫";
      break;
    default:
      text += "#" + std::to_string(keyCode);
      break;
  }
  return text;
}

}  // namespace ui

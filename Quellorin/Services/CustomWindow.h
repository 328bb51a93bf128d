#pragma once

#include "Platform/Desktop/Window.h"

namespace quellorin {

// The floating assistant's window: borderless, yet it takes the keyboard.
class CustomWindow final : public platform::Window {
 public:
  using platform::Window::Window;
  bool canBecomeKeyWindow() const override { return true; }
};

}  // namespace quellorin

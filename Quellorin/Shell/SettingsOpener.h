#pragma once

#include <functional>

namespace quellorin {

// Opens the settings window. The settings window installs what opens it; the shell's menus only
// call open(). Before one is installed, open() logs a line and does nothing.
//
// Main queue only.
class SettingsOpener {
 public:
  using Opener = std::function<void()>;
  // Installs `opener` (null: none) and answers the one it replaces.
  static Opener install(Opener opener);
  static void open();
};

}  // namespace quellorin

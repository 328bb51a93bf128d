#pragma once

#include <string>

#include "UI/Node.h"

namespace quellorin {

// The appearance the application's windows draw in: "system" or "auto" (follow the system),
// "light" or "dark", stored under "Appearance" ("system" when absent) and applied to the current
// Application. A value outside these four is stored but changes nothing on screen.
//
// Main queue only.
class AppearanceManager : public ui::ObservableObject {
 public:
  static constexpr const char* appearanceKey = "Appearance";

  // Reads the stored value and applies it; writes nothing.
  AppearanceManager();

  const std::string& selectedAppearance() const { return selectedAppearance_; }
  // Stores `value` and applies it, also when it is the present value.
  void setSelectedAppearance(const std::string& value);

  // Sets the current application's appearance for `value`; without an application, logs
  // "NSApp is nil, skipping appearance application".
  static void applyAppearance(const std::string& value);

 private:
  std::string selectedAppearance_;
};

}  // namespace quellorin

#pragma once

#include <memory>
#include <string>

#include "Platform/Desktop/DesktopAppearance.h"

namespace platform {

class DesktopThread;

// Light and dark through GTK's settings: dark is "gtk-application-prefer-dark-theme"; light also
// drops a "-dark" variant from the theme's name (a theme that is dark by name ignores the
// preference); following the system puts back what the settings held when this object was made.
// The system's scheme is dark when the theme's name, or GTK_THEME, names a dark variant, or
// the preference was already set.
class GtkAppearance final : public DesktopAppearance {
 public:
  explicit GtkAppearance(std::shared_ptr<DesktopThread> desktopThread);

  Scheme systemScheme() const override;
  void setApplicationScheme(std::optional<Scheme> scheme) override;

  // Whether `themeName` (such as "Adwaita-dark" or "Adwaita:dark") names a dark variant.
  static bool isDarkThemeName(const std::string& themeName);

 private:
  std::shared_ptr<DesktopThread> desktopThread_;
  std::string systemTheme_;
  bool systemPrefersDark_ = false;
};

}  // namespace platform

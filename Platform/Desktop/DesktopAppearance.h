#pragma once

#include <optional>

namespace platform {

// The desktop's light and dark appearance as the application's windows see it: the scheme the
// system (the user's theme) gives, and the one the application asks for instead.
//
// Main queue only.
class DesktopAppearance {
 public:
  enum class Scheme { light, dark };

  virtual ~DesktopAppearance() = default;

  // The scheme the desktop gives applications that ask for none.
  virtual Scheme systemScheme() const = 0;
  // Draws the application's own toolkit windows (menus, dialogs) in `scheme`; none: as the
  // system does.
  virtual void setApplicationScheme(std::optional<Scheme> scheme) = 0;
};

}  // namespace platform

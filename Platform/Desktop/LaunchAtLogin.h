#pragma once

#include <string>

namespace platform {

// Starting the application when the user logs in. One implementation per desktop: the
// simulated one writes a per-user launch-agent property list; the Linux one is an XDG autostart
// entry. Changes take effect at the next login; nothing is loaded or unloaded now.
//
// Called on the main thread; each call does its file work before it returns.
class LaunchAtLogin {
 public:
  struct Outcome {
    bool succeeded = false;
    std::string error;  // what failed, for the log and the message; empty on success
  };
  enum class Removal { removed, wasAbsent, failed };

  virtual ~LaunchAtLogin() = default;

  // Registers `executablePath` to start at login, replacing an earlier registration whole.
  virtual Outcome enable(const std::string& executablePath) = 0;
  // Removes the registration; `error` receives what failed when the answer is `failed`.
  virtual Removal disable(std::string& error) = 0;
  virtual bool isEnabled() const = 0;
};

}  // namespace platform

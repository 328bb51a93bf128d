#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Desktop/LaunchAtLogin.h"

namespace platform {

// Launch at login as the simulated desktop does it: the per-user launch agent
// "Library/LaunchAgents/com.tarvenix.Quellorin.launchagent.plist" under the home folder, an XML
// property list that starts the executable at load. Enabling creates the folder when missing
// and replaces the file atomically (a temporary file renamed over it), so a failed write leaves
// the previous file, or none.
class LaunchAgentFile : public LaunchAtLogin {
 public:
  // The agent in the LaunchAgents folder of `home`, or, when none is given, of the home folder
  // at each call (HOME decides, so tests keep it in a temporary home).
  LaunchAgentFile() = default;
  explicit LaunchAgentFile(std::filesystem::path home) : home_(std::move(home)) {}

  static constexpr std::string_view label = "com.tarvenix.Quellorin.launchagent";

  // The whole file for `executablePath`: eighteen lines, the path escaped as XML text, no line
  // feed after the last line.
  static std::string propertyListText(std::string_view executablePath);

  Outcome enable(const std::string& executablePath) override;
  Removal disable(std::string& error) override;
  bool isEnabled() const override;

  std::filesystem::path path() const;

 private:
  std::optional<std::filesystem::path> home_;
};

}  // namespace platform

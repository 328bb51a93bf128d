#pragma once

#include <filesystem>
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
  // The agent in `home`'s LaunchAgents folder.
  explicit LaunchAgentFile(const std::filesystem::path& home);

  static constexpr std::string_view label = "com.tarvenix.Quellorin.launchagent";

  // The whole file for `executablePath`: eighteen lines, the path escaped as XML text, no line
  // feed after the last line.
  static std::string propertyListText(std::string_view executablePath);

  Outcome enable(const std::string& executablePath) override;
  Removal disable(std::string& error) override;
  bool isEnabled() const override;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace platform

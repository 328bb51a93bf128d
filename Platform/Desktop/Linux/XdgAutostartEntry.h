#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Desktop/LaunchAtLogin.h"

namespace platform {

// Launch at login on a freedesktop session: the entry "quellorin.desktop" in the autostart
// folder ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart), which the session starts
// at login. Enabling creates the folder when missing and replaces the entry atomically, so a
// failed write leaves the previous entry, or none; the failure is answered, never hidden.
//
// Main thread (as the interface says); the file work blocks for the disk.
class XdgAutostartEntry : public LaunchAtLogin {
 public:
  struct Options {
    // The program the entry starts, in place of the path the caller gives: the caller names the
    // executable by the application bundle's layout, which this desktop does not have.
    std::optional<std::string> program;
    // The configuration folder; none: configDirectory() at each call (HOME and XDG decide).
    std::optional<std::filesystem::path> configHome;
  };

  XdgAutostartEntry() = default;
  explicit XdgAutostartEntry(Options options) : options_(std::move(options)) {}

  static constexpr std::string_view fileName = "quellorin.desktop";

  // `path` as one argument of an Exec key: always in double quotes, with what the Desktop Entry
  // format reserves escaped (a backslash before '"', '`', '$' and '\\', "%%" for '%'), and then
  // the value escaped as every string value is (backslash, line feed, tab, carriage return).
  static std::string execArgument(std::string_view path);
  // The whole entry for `program`.
  static std::string entryText(std::string_view program);

  Outcome enable(const std::string& executablePath) override;
  Removal disable(std::string& error) override;
  bool isEnabled() const override;

  std::filesystem::path path() const;

 private:
  Options options_;
};

// The program this process runs (/proc/self/exe); empty when it cannot be read.
std::string runningExecutablePath();

}  // namespace platform

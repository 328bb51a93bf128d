#pragma once

#include <string>

namespace platform {

// One application running on the desktop.
struct RunningApplication {
  int processIdentifier = 0;
  std::string bundleIdentifier;
  std::string localizedName;
  bool operator==(const RunningApplication&) const = default;
};

}  // namespace platform

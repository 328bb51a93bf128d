#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/RunningApplication.h"
#include "Platform/Desktop/URLOpener.h"

namespace platform {

// The running applications with the one in front, their activation, and the opening of URLs
// with the user's default handler. This process is one of the applications,
// `currentApplication()`. Implementations are thread-safe.
class Workspace : public URLOpener {
 public:
  // The activation option that brings all of an application's windows forward.
  static constexpr unsigned activateAllWindows = 1;

  virtual RunningApplication currentApplication() const = 0;
  virtual std::vector<RunningApplication> runningApplications() const = 0;
  virtual std::optional<RunningApplication> runningApplication(int processIdentifier) const = 0;
  virtual std::optional<RunningApplication> frontmostApplication() const = 0;
  // Brings the application in front; false when it is not running or cannot be brought.
  virtual bool activate(int processIdentifier, unsigned options) = 0;
};

}  // namespace platform

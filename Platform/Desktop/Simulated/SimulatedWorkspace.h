#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/RunningApplication.h"
#include "Platform/Desktop/Workspace.h"

namespace platform {

// The simulated desktop's workspace: the running applications with the one in front, their
// activation, and the opening of URLs (recorded, never handed to a real handler). This
// process is one of the applications, `currentApplication()`. Thread-safe.
class SimulatedWorkspace final : public Workspace {
 public:
  // One call of activate(), for tests to inspect.
  struct Activation {
    int processIdentifier = 0;
    unsigned options = 0;
    bool operator==(const Activation&) const = default;
  };

  // `current` is this process; it starts in front.
  explicit SimulatedWorkspace(RunningApplication current);

  RunningApplication currentApplication() const override { return current_; }
  std::vector<RunningApplication> runningApplications() const override;
  std::optional<RunningApplication> runningApplication(int processIdentifier) const override;
  std::optional<RunningApplication> frontmostApplication() const override;

  // Brings the application in front; false when it is not running.
  bool activate(int processIdentifier, unsigned options) override;
  std::vector<Activation> activations() const;

  // Answers false, and records nothing, while opening is made to fail.
  bool openURL(const std::string& url) override;
  std::vector<std::string> openedURLs() const;

  // --- The desktop side ----------------------------------------------------------------------
  // Starts `application` and brings it in front.
  void launch(RunningApplication application);
  void terminate(int processIdentifier);
  // No application in front (as during a switch between spaces).
  void clearFrontmost();
  void failOpeningURLs(bool fail);

 private:
  const RunningApplication current_;
  mutable std::mutex mutex_;
  std::vector<RunningApplication> applications_;
  std::optional<int> frontmost_;
  std::vector<Activation> activations_;
  std::vector<std::string> openedURLs_;
  bool failOpening_ = false;
};

}  // namespace platform

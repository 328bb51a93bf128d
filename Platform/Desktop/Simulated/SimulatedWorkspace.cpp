#include "Platform/Desktop/Simulated/SimulatedWorkspace.h"

#include <algorithm>
#include <utility>

namespace platform {

SimulatedWorkspace::SimulatedWorkspace(RunningApplication current)
    : current_(current), applications_{std::move(current)}, frontmost_(current_.processIdentifier) {}

std::vector<RunningApplication> SimulatedWorkspace::runningApplications() const {
  std::lock_guard lock(mutex_);
  return applications_;
}

std::optional<RunningApplication> SimulatedWorkspace::runningApplication(int processIdentifier) const {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(applications_.begin(), applications_.end(),
                   [&](const RunningApplication& app) { return app.processIdentifier == processIdentifier; });
  if (found == applications_.end()) return std::nullopt;
  return *found;
}

std::optional<RunningApplication> SimulatedWorkspace::frontmostApplication() const {
  const auto front = [&] {
    std::lock_guard lock(mutex_);
    return frontmost_;
  }();
  if (!front) return std::nullopt;
  return runningApplication(*front);
}

bool SimulatedWorkspace::activate(int processIdentifier, unsigned options) {
  if (!runningApplication(processIdentifier)) return false;
  std::lock_guard lock(mutex_);
  frontmost_ = processIdentifier;
  activations_.push_back({processIdentifier, options});
  return true;
}

std::vector<SimulatedWorkspace::Activation> SimulatedWorkspace::activations() const {
  std::lock_guard lock(mutex_);
  return activations_;
}

bool SimulatedWorkspace::openURL(const std::string& url) {
  std::lock_guard lock(mutex_);
  if (failOpening_) return false;
  openedURLs_.push_back(url);
  return true;
}

std::vector<std::string> SimulatedWorkspace::openedURLs() const {
  std::lock_guard lock(mutex_);
  return openedURLs_;
}

void SimulatedWorkspace::launch(RunningApplication application) {
  std::lock_guard lock(mutex_);
  frontmost_ = application.processIdentifier;
  applications_.push_back(std::move(application));
}

void SimulatedWorkspace::terminate(int processIdentifier) {
  std::lock_guard lock(mutex_);
  std::erase_if(applications_,
                [&](const RunningApplication& app) { return app.processIdentifier == processIdentifier; });
  if (frontmost_ == processIdentifier) frontmost_.reset();
}

void SimulatedWorkspace::clearFrontmost() {
  std::lock_guard lock(mutex_);
  frontmost_.reset();
}

void SimulatedWorkspace::failOpeningURLs(bool fail) {
  std::lock_guard lock(mutex_);
  failOpening_ = fail;
}

}  // namespace platform

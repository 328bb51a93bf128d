#include "Platform/Desktop/Workspace.h"

#include <algorithm>
#include <utility>

namespace platform {

Workspace::Workspace(RunningApplication current)
    : current_(current), applications_{std::move(current)}, frontmost_(current_.processIdentifier) {}

std::vector<RunningApplication> Workspace::runningApplications() const {
  std::lock_guard lock(mutex_);
  return applications_;
}

std::optional<RunningApplication> Workspace::runningApplication(int processIdentifier) const {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(applications_.begin(), applications_.end(),
                   [&](const RunningApplication& app) { return app.processIdentifier == processIdentifier; });
  if (found == applications_.end()) return std::nullopt;
  return *found;
}

std::optional<RunningApplication> Workspace::frontmostApplication() const {
  const auto front = [&] {
    std::lock_guard lock(mutex_);
    return frontmost_;
  }();
  if (!front) return std::nullopt;
  return runningApplication(*front);
}

bool Workspace::activate(int processIdentifier, unsigned options) {
  if (!runningApplication(processIdentifier)) return false;
  std::lock_guard lock(mutex_);
  frontmost_ = processIdentifier;
  activations_.push_back({processIdentifier, options});
  return true;
}

std::vector<Workspace::Activation> Workspace::activations() const {
  std::lock_guard lock(mutex_);
  return activations_;
}

bool Workspace::openURL(const std::string& url) {
  std::lock_guard lock(mutex_);
  if (failOpening_) return false;
  openedURLs_.push_back(url);
  return true;
}

std::vector<std::string> Workspace::openedURLs() const {
  std::lock_guard lock(mutex_);
  return openedURLs_;
}

void Workspace::launch(RunningApplication application) {
  std::lock_guard lock(mutex_);
  frontmost_ = application.processIdentifier;
  applications_.push_back(std::move(application));
}

void Workspace::terminate(int processIdentifier) {
  std::lock_guard lock(mutex_);
  std::erase_if(applications_,
                [&](const RunningApplication& app) { return app.processIdentifier == processIdentifier; });
  if (frontmost_ == processIdentifier) frontmost_.reset();
}

void Workspace::clearFrontmost() {
  std::lock_guard lock(mutex_);
  frontmost_.reset();
}

void Workspace::failOpeningURLs(bool fail) {
  std::lock_guard lock(mutex_);
  failOpening_ = fail;
}

}  // namespace platform

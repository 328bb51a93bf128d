#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"

#include <utility>

namespace platform {

std::size_t RecordingAlertPresenter::runModal(const Alert& alert) {
  std::function<void(const Alert&)> onShow;
  {
    std::lock_guard lock(mutex_);
    entries_.push_back({Entry::Kind::shown, alert});
    onShow = onShow_;
  }
  if (onShow) onShow(alert);
  std::lock_guard lock(mutex_);
  if (answers_.empty()) return 0;
  const std::size_t answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingAlertPresenter::orderOut(const Alert& alert) {
  std::lock_guard lock(mutex_);
  entries_.push_back({Entry::Kind::orderedOut, alert});
}

void RecordingAlertPresenter::scriptAnswer(std::size_t buttonIndex) {
  std::lock_guard lock(mutex_);
  answers_.push_back(buttonIndex);
}

void RecordingAlertPresenter::setOnShow(std::function<void(const Alert&)> onShow) {
  std::lock_guard lock(mutex_);
  onShow_ = std::move(onShow);
}

std::vector<RecordingAlertPresenter::Entry> RecordingAlertPresenter::entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<Alert> RecordingAlertPresenter::shownAlerts() const {
  std::lock_guard lock(mutex_);
  std::vector<Alert> shown;
  for (const auto& entry : entries_) {
    if (entry.kind == Entry::Kind::shown) shown.push_back(entry.alert);
  }
  return shown;
}

}  // namespace platform

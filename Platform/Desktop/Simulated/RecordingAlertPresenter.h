#pragma once

#include "Platform/Desktop/Alert.h"

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

// The alert presenter of tests and of the simulated desktop: it shows nothing, records each
// alert in order and answers with the answers a test scripted (the first button once the
// script has run out). Thread-safe: tests read it from their own thread.
class RecordingAlertPresenter final : public AlertPresenter {
 public:
  // One recorded step: an alert run modally, or an alert window ordered out.
  struct Entry {
    enum class Kind { shown, orderedOut } kind;
    Alert alert;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  std::size_t runModal(const Alert& alert) override;
  void orderOut(const Alert& alert) override;

  // Queues the button index that the next unanswered alert returns.
  void scriptAnswer(std::size_t buttonIndex);

  // Called with each alert as it is shown, on the showing thread, before it is answered.
  void setOnShow(std::function<void(const Alert&)> onShow);

  std::vector<Entry> entries() const;
  // Only the alerts that were shown, in order.
  std::vector<Alert> shownAlerts() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::size_t> answers_;
  std::vector<Entry> entries_;
  std::function<void(const Alert&)> onShow_;
};

}  // namespace platform

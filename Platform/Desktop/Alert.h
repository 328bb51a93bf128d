#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

enum class AlertStyle { warning, informational, critical };

// What a modal alert shows. The first button is the default one; an alert without buttons
// gets a single "OK" button from the presenter.
struct Alert {
  AlertStyle style = AlertStyle::warning;
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;

  friend bool operator==(const Alert&, const Alert&) = default;
};

// Shows modal alerts. Called on the main thread only.
class AlertPresenter {
 public:
  virtual ~AlertPresenter() = default;

  // Shows `alert` and blocks until the user answers; returns the index of the button pressed
  // (0 for the first).
  virtual std::size_t runModal(const Alert& alert) = 0;

  // Removes the window of an alert that `runModal` showed, if it is still on screen.
  virtual void orderOut(const Alert& alert) = 0;
};

}  // namespace platform

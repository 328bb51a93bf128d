#pragma once

#include <memory>

#include "Platform/Desktop/Alert.h"

namespace platform {

class DesktopThread;

// Modal alerts as GTK message dialogs: the message as the primary text, the informative text as
// the secondary one, the buttons in order (the first the default, answered with its index; an
// alert without buttons gets "OK"), above other windows. Closing the dialog without a button
// (Escape, the window's close) answers the last button: with several, the one that cancels.
//
// runModal() is called on the main thread and returns when the dialog is answered. When the
// main thread is the desktop thread, the dialog runs GTK's own nested loop; otherwise it is
// shown on the desktop thread, which stays free for every other call meanwhile, and the main
// queue keeps running its due work nested, as under a modal loop. A stop of the main queue
// answers the dialog as closed (the last button), so a modal alert never keeps the application
// from ending.
class LinuxAlertPresenter final : public AlertPresenter {
 public:
  explicit LinuxAlertPresenter(std::shared_ptr<DesktopThread> desktopThread);

  std::size_t runModal(const Alert& alert) override;
  // Answers an open dialog showing `alert` with its default button, which closes it.
  void orderOut(const Alert& alert) override;

 private:
  // The dialog on the calling thread, when GTK runs there.
  std::size_t runModalHere(const Alert& alert, std::size_t buttonCount);

  std::shared_ptr<DesktopThread> desktopThread_;
};

}  // namespace platform

#pragma once

#include <memory>
#include <string>

#include "Quellorin/Shell/UpdaterDelegate.h"

namespace quellorin {

// The software updater as the settings window uses it. The update framework itself lies outside
// this system; this is the part of it the window drives: start once, check on request, turn
// automatic checks on. Main thread only.
class UpdaterController {
 public:
  virtual ~UpdaterController() = default;
  // Starts the updater; a second call does nothing.
  virtual void startUpdater() = 0;
  virtual void checkForUpdates() = 0;
  virtual void setAutomaticallyChecksForUpdates(bool value) = 0;
};

// The standard controller: it reads the feed address from its delegate, logs what it does, and
// checks through the application's one updater (SoftwareUpdater::shared()).
class StandardUpdaterController : public UpdaterController {
 public:
  explicit StandardUpdaterController(UpdaterDelegate delegate) : delegate_(delegate) {}
  void startUpdater() override;
  void checkForUpdates() override;
  void setAutomaticallyChecksForUpdates(bool value) override;

  bool started() const { return started_; }
  bool automaticallyChecksForUpdates() const { return automatic_; }
  int checks() const { return checks_; }

 private:
  UpdaterDelegate delegate_;
  bool started_ = false;
  bool automatic_ = false;
  int checks_ = 0;
};

}  // namespace quellorin

#pragma once

#include <memory>
#include <optional>

#include "Quellorin/Shell/AppDelegate.h"
#include "Quellorin/Shell/TessivalApp.h"

namespace platform {
class MainQueue;
}

namespace quellorin {

class Application;
class StatusBarMenu;
class SettingsWindow;

// The running application put together: the application object, the application type with its
// scenes, the menu-bar extra (system 13 on) and the delegate's start-up. Made on the main thread
// after the environment is installed; the run ends when the main queue stops.
//
//   quellorin::ApplicationShell shell(mainQueue);  // starts up; terminating stops `mainQueue`
//   mainQueue.run();
//   // leaving the scope terminates a run that was stopped by other means (a signal)
class ApplicationShell {
 public:
  struct Options {
    AppDelegate::Dependencies delegate;
    TessivalApp::Dependencies app;
  };

  // The application's own services; one instance per user through InstanceLock::standardFile().
  static Options standardOptions();

  explicit ApplicationShell(platform::MainQueue& mainQueue);
  ApplicationShell(platform::MainQueue& mainQueue, Options options);
  ~ApplicationShell();
  ApplicationShell(const ApplicationShell&) = delete;
  ApplicationShell& operator=(const ApplicationShell&) = delete;

  // Whether start-up went through (false: another instance runs and this one terminated).
  bool isRunning() const { return running_; }
  // Ready: the permission watch runs and the menu is built.
  bool isReady() const;
  // Ends the application now (see Application::terminate); the destructor does it otherwise.
  void terminate();

  const std::shared_ptr<Application>& application() const { return application_; }
  const std::shared_ptr<TessivalApp>& app() const { return app_; }
  const std::shared_ptr<AppDelegate>& delegate() const { return delegate_; }
  // The menu-bar extra; none on system 12 (the delegate's status item stands in) or after
  // a terminated start.
  const std::optional<ui::MenuBarExtraHost>& menuBarExtra() const { return menuBarExtra_; }
  // The settings window every road to the settings opens; none after a terminated start.
  const std::shared_ptr<SettingsWindow>& settingsWindow() const { return settingsWindow_; }

 private:
  std::shared_ptr<Application> application_;
  std::shared_ptr<TessivalApp> app_;
  std::shared_ptr<AppDelegate> delegate_;
  std::optional<ui::MenuBarExtraHost> menuBarExtra_;
  // The menu-bar extra on the desktop's status bar, where the desktop has one.
  std::unique_ptr<StatusBarMenu> statusBarMenu_;
  std::shared_ptr<SettingsWindow> settingsWindow_;
  bool running_ = false;
};

// The application's run on the main thread: starts the shell, runs `mainQueue` until it stops
// (the quit item, a second instance, a signal), then terminates the application cleanly while
// the environment is still installed.
void runApplication(platform::MainQueue& mainQueue);

}  // namespace quellorin

#include "Quellorin/Shell/ApplicationShell.h"

#include <utility>

#include "Platform/Core/Environment.h"
#include "Platform/Core/InstanceLock.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/SoftwareUpdater.h"
#include "Quellorin/Shell/StatusBarMenu.h"

namespace quellorin {

ApplicationShell::Options ApplicationShell::standardOptions() {
  Options options;
  options.delegate.instanceLockFile = platform::InstanceLock::standardFile();
  options.app.updater = SoftwareUpdater::shared();
  return options;
}

ApplicationShell::ApplicationShell(platform::MainQueue& mainQueue)
    : ApplicationShell(mainQueue, standardOptions()) {}

ApplicationShell::ApplicationShell(platform::MainQueue& mainQueue, Options options)
    : application_(Application::make()) {
  application_->setTerminationHandler([&mainQueue] { mainQueue.stop(); });
  std::weak_ptr<Application> weakApplication = application_;
  options.app.terminate = [weakApplication] {
    if (const auto application = weakApplication.lock()) application->terminate();
  };
  options.delegate.application = application_;
  app_ = TessivalApp::make(std::move(options.app));
  delegate_ = std::make_shared<AppDelegate>(std::move(options.delegate));
  application_->onWillTerminate([weak = std::weak_ptr<AppDelegate>(delegate_)] {
    if (const auto delegate = weak.lock()) delegate->applicationWillTerminate();
  });
  running_ = delegate_->applicationDidFinishLaunching();
  if (!running_) return;
  if (auto menuBarExtra = app_->scenes().menuBarExtra) {
    menuBarExtra_.emplace(std::move(*menuBarExtra));
    application_->registerHost(menuBarExtra_->host());
    if (auto statusBar = platform::Environment::current()->statusBar) {
      statusBarMenu_ = std::make_unique<StatusBarMenu>(std::move(statusBar), *menuBarExtra_);
    }
  }
}

ApplicationShell::~ApplicationShell() { terminate(); }

void ApplicationShell::terminate() { application_->terminate(); }

void runApplication(platform::MainQueue& mainQueue) {
  ApplicationShell shell(mainQueue);
  mainQueue.run();
  shell.terminate();
}

bool ApplicationShell::isReady() const {
  return running_ && delegate_->permissionTimer() && (menuBarExtra_ || delegate_->statusItem());
}

}  // namespace quellorin

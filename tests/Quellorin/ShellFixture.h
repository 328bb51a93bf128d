#pragma once

// The application shell on the simulated desktop: its own assistant services (nothing shared
// between tests), a device identifier the test chooses, a counted usage fetch, simulated video
// players the test can reach, and pipelines the test lists.

#include <memory>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Simulated/SimulatedMediaPlayer.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/AccessibilityService.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Shell/ApplicationShell.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Settings/SettingsView.h"
#include "Quellorin/Shell/SoftwareUpdater.h"
#include "tests/support/TemporaryFolder.h"

namespace testsupport {

class CountingUpdater : public quellorin::SoftwareUpdater {
 public:
  void checkForUpdates() override { ++checks; }
  int checks = 0;
};

class CountingUpdaterController : public quellorin::UpdaterController {
 public:
  void startUpdater() override { ++starts; }
  void checkForUpdates() override {}
  void setAutomaticallyChecksForUpdates(bool value) override { automatic = value; }
  int starts = 0;
  bool automatic = false;
};

class ShellFixture : public DesktopFixture {
 protected:
  ShellFixture() {
    env().windowServer->setApplicationActive(false);
    previousBundle =
        platform::Bundle::replaceMain(platform::Bundle::open(platform::Bundle::resourcesDirectory()));
  }
  ~ShellFixture() override {
    shell.reset();
    platform::Bundle::replaceMain(previousBundle);
  }

  quellorin::ApplicationShell::Options options() {
    quellorin::ApplicationShell::Options result;
    result.delegate.notifications = notifications;
    result.delegate.eventMonitor = monitor;
    result.delegate.accessibility = watch;
    result.delegate.deviceIdentifier = [this] { return deviceIdentifier; };
    result.delegate.fetchUserSubInfo = [this] { ++usageFetches; };
    result.delegate.makePlayer = [this] {
      auto player = platform::SimulatedMediaPlayer::make();
      players.push_back(player);
      return player;
    };
    result.app.pipelines = [this] {
      ++pipelineReads;
      return pipelines;
    };
    result.app.updater = updater;
    result.app.settingsView = [this] {
      if (!settingsStore)
        settingsStore = std::make_unique<quellorin::DatabaseService>(storeFolder.path() / "db.sqlite3");
      quellorin::SettingsServices services;
      services.store = settingsStore.get();
      services.fetchUserSubInfo = [this] { ++settingsFetches; };
      services.makeUpdater = [this](const quellorin::UpdaterDelegate&) { return settingsUpdater; };
      return quellorin::SettingsView::make(services);
    };
    return result;
  }

  quellorin::ApplicationShell& start() {
    shell = std::make_unique<quellorin::ApplicationShell>(*env().mainQueue, options());
    return *shell;
  }

  // Counts the posts of `name` from now on.
  std::shared_ptr<std::vector<std::optional<std::string>>> watchPosts(const std::string& name) {
    auto posts = std::make_shared<std::vector<std::optional<std::string>>>();
    env().notificationCenter->addObserver(
        name, platform::NotificationCenter::Delivery::postingThread,
        [posts](const platform::Notification& n) { posts->push_back(n.object); });
    return posts;
  }

  std::string L(const std::string& key) { return platform::localizedString(key); }

  platform::LogCapture log;
  std::shared_ptr<platform::Bundle> previousBundle;
  std::shared_ptr<quellorin::AIService> aiService = std::make_shared<quellorin::AIService>();
  std::shared_ptr<quellorin::TextHandlingService> textHandling =
      std::make_shared<quellorin::TextHandlingService>();
  std::shared_ptr<quellorin::EventMonitorService> monitor = std::make_shared<quellorin::EventMonitorService>(
      textHandling, std::make_shared<quellorin::WindowService>(textHandling), aiService);
  std::shared_ptr<quellorin::NotificationService> notifications =
      std::make_shared<quellorin::NotificationService>();
  std::shared_ptr<quellorin::AccessibilityService> watch =
      std::make_shared<quellorin::AccessibilityService>(monitor, notifications);
  std::shared_ptr<CountingUpdater> updater = std::make_shared<CountingUpdater>();
  std::string deviceIdentifier = "C02XK1ABCDEF";
  int usageFetches = 0;
  int pipelineReads = 0;
  std::vector<quellorin::Pipeline> pipelines;
  std::vector<std::shared_ptr<platform::SimulatedMediaPlayer>> players;
  // What the settings window works with (its view is made on its first open).
  testsupport::TemporaryFolder storeFolder{"quellorin-shell-"};
  std::unique_ptr<quellorin::DatabaseService> settingsStore;
  std::shared_ptr<CountingUpdaterController> settingsUpdater = std::make_shared<CountingUpdaterController>();
  int settingsFetches = 0;
  std::unique_ptr<quellorin::ApplicationShell> shell;
};

}  // namespace testsupport

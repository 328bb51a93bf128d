// The application shell on the real Linux environment (Environment::makeReal(), under
// scripts/run-desktop-tests): the menu-bar menu as the status item's real GTK menu, chosen
// there; launch at login through the settings switch as a real autostart entry, and its
// failure told in a real GTK dialog.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/GStreamerMediaPlayer.h"
#include "Platform/Desktop/Linux/LinuxStatusBar.h"
#include "Platform/Desktop/Linux/XdgAutostartEntry.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Settings/SettingsView.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/ApplicationShell.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "Quellorin/Shell/SoftwareUpdater.h"
#include "UI/Host.h"
#include "tests/support/GtkReadBack.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestVideos.h"

namespace quellorin {
namespace {

class NoUpdater final : public SoftwareUpdater {
 public:
  void checkForUpdates() override { ++checks; }
  int checks = 0;
};

// The view's menu in the read-back format of describeGtkMenu.
std::string describe(const std::vector<ui::MenuItem>& items) {
  std::string text;
  for (const auto& item : items) {
    if (!text.empty()) text += "\n";
    if (item.isDivider) {
      text += "-";
      continue;
    }
    std::string line = item.checked ? "[x] " : "";
    line += item.enabled ? item.title : "(" + item.title + ")";
    if (!item.submenu.empty()) {
      std::string inner = describe(item.submenu);
      for (char& c : inner)
        if (c == '\n') c = '|';
      line += " > {" + inner + "}";
    }
    text += line;
  }
  return text;
}

class LinuxShellAppDesktop : public ::testing::Test {
 protected:
  LinuxShellAppDesktop() {
    environment->userDefaults = platform::UserDefaults::inMemory();
    environment->userDefaults->setBool("hasSeenOnboarding", true);
    environment->userDefaults->setString("Language", "en");
    previous = platform::Environment::install(environment);
    statusBar = std::dynamic_pointer_cast<platform::LinuxStatusBar>(environment->statusBar);
  }
  ~LinuxShellAppDesktop() override {
    shell.reset();
    platform::Environment::install(previous);
  }

  bool runUntil(const std::function<bool()>& condition, double limitSeconds = 10) {
    auto& queue = *environment->mainQueue;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    while (std::chrono::steady_clock::now() < giveUp) {
      // The real environment runs GTK on this thread: its events are turned here too.
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
      while (queue.runOneDue()) {
      }
      if (condition()) return true;
      queue.waitForDueWork(std::chrono::milliseconds(10));
    }
    return condition();
  }

  template <class Work>
  auto onGtk(Work work) {
    return statusBar->desktopThread()->call(std::move(work));
  }

  std::string realMenu() {
    return onGtk([&] { return testsupport::describeGtkMenu(GTK_WIDGET(statusBar->gtkMenu())); });
  }

  testsupport::TemporaryFolder home{"quellorin-linux-shell-"};
  testsupport::ScopedEnvironmentVariable homeVariable{"HOME", home.path().c_str()};
  testsupport::ScopedEnvironmentVariable config{"XDG_CONFIG_HOME", home.file("config").c_str()};
  std::shared_ptr<platform::Environment> environment = platform::Environment::makeReal();
  std::shared_ptr<platform::Environment> previous;
  std::shared_ptr<platform::LinuxStatusBar> statusBar;
  std::unique_ptr<ApplicationShell> shell;
};

TEST_F(LinuxShellAppDesktop, TheMenuBarMenuIsTheStatusItemsGtkMenuAndWorksFromThere) {
  ASSERT_TRUE(statusBar);
  // No notification server on the test's bus: start-up would ask for one in a dialog.
  environment->alertPresenter = std::make_shared<platform::RecordingAlertPresenter>();
  auto updater = std::make_shared<NoUpdater>();
  ApplicationShell::Options options;
  options.delegate.instanceLockFile = home.path() / "instance.lock";
  options.delegate.fetchUserSubInfo = [] {};
  options.delegate.deviceIdentifier = [] { return std::string("desktop-test"); };
  options.app.pipelines = [] { return std::vector<Pipeline>{{1, "Translate", {}}, {2, "Structure", {}}}; };
  options.app.updater = updater;
  shell = std::make_unique<ApplicationShell>(*environment->mainQueue, std::move(options));
  ASSERT_TRUE(shell->isRunning());

  EXPECT_EQ(realMenu(), describe(shell->menuBarExtra()->menu())) << "the real menu is the view's menu";
  EXPECT_NE(realMenu().find("[x] " + platform::localizedString("disabled")), std::string::npos);

  // Chosen in the real menu: the view acts, renders again, and the real menu follows.
  onGtk([&] {
    gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(statusBar->gtkMenu()), "spacebar.EN"));
  });
  ASSERT_TRUE(runUntil([&] {
    return environment->userDefaults->string("SpecialKeyFeatureStatus") == "EN" &&
           realMenu().find("[x] " + platform::localizedString("EN")) != std::string::npos;
  })) << realMenu();
  EXPECT_EQ(realMenu(), describe(shell->menuBarExtra()->menu()));

  // The real menu on screen, with its submenu of languages open.
  GtkWidget* anchor = onGtk([] { return testsupport::makeMenuAnchor(40, 40); });
  ASSERT_TRUE(runUntil([&] { return onGtk([&] { return gtk_widget_get_mapped(anchor) == TRUE; }); }));
  onGtk([&] {
    testsupport::popUpGtkMenu(GTK_WIDGET(statusBar->gtkMenu()), anchor);
    auto* languages = testsupport::findGtkMenuItem(GTK_WIDGET(statusBar->gtkMenu()), "spacebar");
    gtk_menu_shell_select_item(GTK_MENU_SHELL(statusBar->gtkMenu()), GTK_WIDGET(languages));
  });
  const auto folder = std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots";
  EXPECT_TRUE(runUntil([&] {
    return onGtk([&] {
      return testsupport::screenshotWidget(gtk_widget_get_toplevel(GTK_WIDGET(statusBar->gtkMenu())), folder,
                                           "linux-menu-bar-menu.png");
    });
  })) << "the menu never showed";
  onGtk([&] { testsupport::closeGtkMenu(GTK_WIDGET(statusBar->gtkMenu()), anchor); });

  onGtk([&] {
    gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(statusBar->gtkMenu()), "checkForUpdates"));
  });
  ASSERT_TRUE(runUntil([&] { return updater->checks == 1; }));

  onGtk([&] {
    gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(statusBar->gtkMenu()), "exit"));
  });
  ASSERT_TRUE(runUntil([&] { return shell->application()->isTerminated(); }));
}

TEST_F(LinuxShellAppDesktop, TheLaunchAtLoginSwitchWritesAndRemovesTheAutostartEntry) {
  DatabaseService store{home.path() / "db.sqlite3"};
  SettingsServices services;
  services.store = &store;
  services.fetchUserSubInfo = [] {};
  auto view = SettingsView::make(services);
  auto host = ui::Host::make(view);
  runUntil([] { return false; }, 0.1);
  const auto entry = home.path() / "config" / "autostart" / "quellorin.desktop";

  ASSERT_TRUE(host->click("launch-at-startup"));
  ASSERT_TRUE(std::filesystem::is_regular_file(entry));
  std::ifstream in(entry);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), platform::XdgAutostartEntry::entryText(platform::runningExecutablePath()))
      << "it starts this very program";
  EXPECT_TRUE(environment->userDefaults->bool_("LaunchAtStartup"));

  ASSERT_TRUE(host->click("launch-at-startup"));
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(environment->userDefaults->bool_("LaunchAtStartup"));

  // A file where the folder should be: the switch goes back off, and a real dialog says why.
  std::filesystem::remove_all(entry.parent_path());
  std::ofstream(entry.parent_path()) << "in the way";
  auto dialog = std::async(std::launch::async, [&] {
    GtkMessageDialog* shown = nullptr;
    // The main thread is held by the dialog: this thread polls the real toolkit for it.
    for (int attempt = 0; attempt < 1000 && shown == nullptr; ++attempt) {
      shown = onGtk([] { return testsupport::shownMessageDialog(); });
      if (shown == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (shown == nullptr) return testsupport::DialogReading{};
    auto reading = onGtk([&] { return testsupport::readDialog(shown); });
    onGtk([&] { gtk_button_clicked(GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(shown), 0))); });
    return reading;
  });
  ASSERT_TRUE(host->click("launch-at-startup"));  // returns once the dialog is answered
  const auto reading = dialog.get();
  EXPECT_EQ(reading.text, platform::localizedString("launchAtStartupFailed"));
  EXPECT_NE(reading.secondaryText.find("autostart"), std::string::npos) << reading.secondaryText;
  EXPECT_EQ(reading.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(*view->launchAtStartup);
  EXPECT_FALSE(environment->userDefaults->bool_("LaunchAtStartup"));
}

TEST_F(LinuxShellAppDesktop, TheOnboardingVideosPlayFromTheServiceInALoop) {
  testsupport::TemporaryFolder videos("quellorin-videos-");
  for (const char* name :
       {"tripple-space-translation.mp4", "tripple-space-pipeline.mp4", "tripple-space-freeask.mp4"})
    testsupport::writeTestVideo(videos.path() / name, 3);
  testsupport::StandInProcess service({"--videos", videos.path().string()});
  testsupport::ScopedEnvironmentVariable serviceURL("QUELLORIN_SERVICE_URL", service.baseURL().c_str());

  // No window holds a picture here: the frames go to a sink that only keeps their time.
  auto view = OnboardingView::make(ui::Binding<bool>::constant(true),
                                   platform::GStreamerMediaPlayer::make({"fakesink"}));
  auto host = ui::Host::make(view);
  std::vector<int> indexes{view->currentVideoIndex()};
  // Two rounds: 1, 2, 3, 1, 2, 3, 1.
  ASSERT_TRUE(runUntil(
      [&] {
        if (view->currentVideoIndex() != indexes.back()) indexes.push_back(view->currentVideoIndex());
        return indexes.size() == 7;
      },
      30))
      << "indexes seen: " << indexes.size();
  EXPECT_EQ(indexes, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
  int fetched = 0;
  for (const auto& request : service.requests())
    if (request.value("path", "") == "/static/videos/tripple-space-pipeline.mp4") ++fetched;
  EXPECT_GE(fetched, 2) << "each round fetches the videos from the service";

  view->close();
  EXPECT_FALSE(view->player()->isPlaying());
}

}  // namespace
}  // namespace quellorin

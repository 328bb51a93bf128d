// The Linux shell services on a real X server (scripts/run-desktop-tests: Xvfb, a private
// session bus, no tray host): the status item's real GTK menu, alerts as real GTK dialogs, and
// videos played by GStreamer. Screenshots of the real menu and dialog go to build/screenshots/.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>

#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/GStreamerMediaPlayer.h"
#include "Platform/Desktop/Linux/LinuxAlertPresenter.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Linux/LinuxStatusBar.h"
#include "Platform/Dispatch/MainQueue.h"
#include "tests/support/GtkReadBack.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestVideos.h"

namespace platform {
namespace {

std::filesystem::path screenshots() { return std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots"; }

class LinuxShellDesktop : public ::testing::Test {
 protected:
  LinuxShellDesktop() {
    environment->userDefaults = UserDefaults::inMemory();
    desktop = installLinuxDesktop(*environment);
    previous = Environment::install(environment);
  }
  ~LinuxShellDesktop() override { Environment::install(previous); }

  // Runs the main queue on this thread until `condition` holds or `limitSeconds` pass: GTK, the
  // X server and GStreamer move on their own time, so this waits in real time.
  bool runUntil(const std::function<bool()>& condition, double limitSeconds = 10) {
    auto& queue = *environment->mainQueue;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    while (std::chrono::steady_clock::now() < giveUp) {
      while (queue.runOneDue()) {
      }
      if (condition()) return true;
      queue.waitForDueWork(std::chrono::milliseconds(10));
    }
    return condition();
  }

  template <class Work>
  auto onGtk(Work work) {
    return desktop.desktopThread->call(std::move(work));
  }

  std::shared_ptr<Environment> environment = Environment::makeSystemServices();
  LinuxDesktop desktop;
  std::shared_ptr<Environment> previous;
};

TEST_F(LinuxShellDesktop, TheStatusItemsMenuIsARealGtkMenu) {
  LinuxStatusBar bar(desktop.desktopThread, environment->mainQueue);
  int exits = 0;
  int chosen = 0;
  std::vector<MenuEntry> menu;
  menu.push_back({"account", "Sign in", true, false, false, {}, [] {}});
  menu.push_back({"", "", false, false, true, {}, {}});
  MenuEntry pipelines{"pipelines", "Pipelines 中文", true, false, false, {}, {}};
  pipelines.submenu.push_back({"pipeline.none", "None", true, true, false, {}, [&chosen] { ++chosen; }});
  pipelines.submenu.push_back(
      {"pipeline.1", "Translate", true, false, false, {}, [&chosen] { chosen += 10; }});
  menu.push_back(pipelines);
  menu.push_back({"usage", "Fast requests: 0 / 20", false, false, false, {}, [] {}});
  menu.push_back({"exit", "Quit", true, false, false, {}, [&exits] { ++exits; }});
  bar.show("Quellorin", "sparkles");
  bar.setMenu(menu);

  EXPECT_FALSE(bar.isConnected()) << "no tray host on the test's session bus: not connected, no crash";
  EXPECT_EQ(onGtk([&] { return testsupport::describeGtkMenu(GTK_WIDGET(bar.gtkMenu())); }),
            "Sign in\n-\nPipelines 中文 > {[x] None|Translate}\n(Fast requests: 0 / 20)\nQuit");

  // Choosing items as GTK does: the actions run on the main queue, and a checked item keeps the
  // mark the application gave it.
  onGtk([&] {
    gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(bar.gtkMenu()), "exit"));
    gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(bar.gtkMenu()), "pipeline.none"));
  });
  ASSERT_TRUE(runUntil([&] { return exits == 1 && chosen == 1; }));
  EXPECT_EQ(onGtk([&] { return testsupport::describeGtkMenu(GTK_WIDGET(bar.gtkMenu())); }),
            "Sign in\n-\nPipelines 中文 > {[x] None|Translate}\n(Fast requests: 0 / 20)\nQuit");

  // A new menu replaces the old one whole.
  menu[2].submenu[0].checked = false;
  menu[2].submenu[1].checked = true;
  menu.pop_back();
  bar.setMenu(menu);
  EXPECT_EQ(onGtk([&] { return testsupport::describeGtkMenu(GTK_WIDGET(bar.gtkMenu())); }),
            "Sign in\n-\nPipelines 中文 > {None|[x] Translate}\n(Fast requests: 0 / 20)");
  onGtk(
      [&] { gtk_menu_item_activate(testsupport::findGtkMenuItem(GTK_WIDGET(bar.gtkMenu()), "pipeline.1")); });
  ASSERT_TRUE(runUntil([&] { return chosen == 11; }));

  // The real menu on screen, opened under a small anchor window.
  GtkWidget* anchor = onGtk([&] {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_move(GTK_WINDOW(window), 40, 40);
    gtk_window_set_default_size(GTK_WINDOW(window), 8, 8);
    gtk_widget_show(window);
    return window;
  });
  ASSERT_TRUE(runUntil([&] { return onGtk([&] { return gtk_widget_get_mapped(anchor) == TRUE; }); }));
  onGtk([&] {
    const GdkRectangle at{0, 8, 1, 1};
    gtk_menu_popup_at_rect(GTK_MENU(bar.gtkMenu()), gtk_widget_get_window(anchor), &at,
                           GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
  });
  EXPECT_TRUE(runUntil([&] {
    return onGtk([&] {
      return testsupport::screenshotWidget(gtk_widget_get_toplevel(GTK_WIDGET(bar.gtkMenu())), screenshots(),
                                           "linux-status-menu.png");
    });
  })) << "the menu never showed";
  onGtk([&] {
    gtk_menu_popdown(GTK_MENU(bar.gtkMenu()));
    gtk_widget_destroy(anchor);
  });
}

TEST_F(LinuxShellDesktop, AnAlertIsARealDialogWithItsButtonsInOrder) {
  auto presenter = std::make_shared<LinuxAlertPresenter>(desktop.desktopThread);
  const Alert alert{AlertStyle::warning,
                    "Launch at login could not be turned on",
                    "/home/ann/.config/autostart: Permission denied",
                    {"OK", "Open Settings", "取消"}};
  // The main thread waits in runModal; the test reads and answers the dialog from here.
  auto answer = std::async(std::launch::async, [&] { return presenter->runModal(alert); });
  GtkMessageDialog* dialog = nullptr;
  ASSERT_TRUE(runUntil(
      [&] { return (dialog = onGtk([] { return testsupport::shownMessageDialog(); })) != nullptr; }));
  const auto reading = onGtk([&] { return testsupport::readDialog(dialog); });
  EXPECT_EQ(reading.title, "Quellorin");
  EXPECT_EQ(reading.text, alert.messageText);
  EXPECT_EQ(reading.secondaryText, alert.informativeText);
  EXPECT_EQ(reading.buttons, alert.buttons);
  EXPECT_TRUE(runUntil([&] {
    return onGtk(
        [&] { return testsupport::screenshotWidget(GTK_WIDGET(dialog), screenshots(), "linux-alert.png"); });
  })) << "the dialog never drew";
  onGtk([&] { gtk_button_clicked(GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), 1))); });
  EXPECT_EQ(answer.get(), 1u);
  EXPECT_TRUE(runUntil([&] { return onGtk([] { return testsupport::shownMessageDialog() == nullptr; }); }));
}

TEST_F(LinuxShellDesktop, AnAlertClosedWithoutAButtonOrOrderedOutIsAnswered) {
  auto presenter = std::make_shared<LinuxAlertPresenter>(desktop.desktopThread);
  struct Case {
    Alert alert;
    bool orderOut;
    std::size_t expected;
  };
  for (const auto& c : {Case{{AlertStyle::critical, "Network", "", {}}, false, 0},
                        Case{{AlertStyle::informational, "Update", "1.0", {"Later", "Cancel"}}, false, 1},
                        Case{{AlertStyle::warning, "Limit reached", "", {}}, true, 0}}) {
    auto answer = std::async(std::launch::async, [&] { return presenter->runModal(c.alert); });
    GtkMessageDialog* dialog = nullptr;
    ASSERT_TRUE(runUntil(
        [&] { return (dialog = onGtk([] { return testsupport::shownMessageDialog(); })) != nullptr; }));
    if (c.alert.buttons.empty()) {
      EXPECT_EQ(onGtk([&] { return testsupport::readDialog(dialog); }).buttons,
                std::vector<std::string>{"OK"});
    }
    if (c.orderOut) {
      presenter->orderOut(c.alert);
    } else {
      // Escape, or the window's close: no button was pressed.
      onGtk([&] { gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT); });
    }
    EXPECT_EQ(answer.get(), c.expected) << c.alert.messageText;
    ASSERT_TRUE(runUntil([&] { return onGtk([] { return testsupport::shownMessageDialog() == nullptr; }); }));
  }
}

TEST_F(LinuxShellDesktop, VideosPlayInTurnWithProgressAndLoop) {
  testsupport::TemporaryFolder folder("quellorin-videos-");
  const auto first = "file://" + folder.file("first.avi");
  const auto second = "file://" + folder.file("second.avi");
  testsupport::writeTestVideo(folder.file("first.avi"), 5);
  testsupport::writeTestVideo(folder.file("second.avi"), 8);
  const auto missing = "file://" + folder.file("missing.avi");

  auto player = GStreamerMediaPlayer::make({"fakesink"});
  std::vector<std::string> ended;
  std::vector<double> times;
  player->addItemEndObserver([&](const PlayerItem& item) {
    ended.push_back(item.url);
    // As the onboarding window does after the last one: the queue again, from the start.
    if (player->items().empty()) {
      player->appendItem(first);
      player->seekToZero();
    }
  });
  const auto timeToken =
      player->addPeriodicTimeObserver(0.05, [&](double seconds) { times.push_back(seconds); });
  const auto items = player->replaceItems({first, second});
  ASSERT_EQ(items.size(), 2u);
  EXPECT_NE(items[0].identity, items[1].identity);
  player->play();
  ASSERT_TRUE(runUntil([&] { return ended.size() == 3; }, 20)) << "ended: " << ended.size();
  EXPECT_EQ(ended, (std::vector<std::string>{first, second, first}));
  EXPECT_TRUE(player->isPlaying());
  EXPECT_EQ(player->currentItem()->url, first) << "the queue refilled at the end went round again";
  ASSERT_FALSE(times.empty());
  EXPECT_TRUE(std::any_of(times.begin(), times.end(), [](double t) { return t > 0.1; })) << "progress moved";

  // Known length once prerolled; a paused player keeps its place.
  ASSERT_TRUE(runUntil([&] { return !std::isnan(player->currentDuration()); }));
  EXPECT_NEAR(player->currentDuration(), 0.5, 0.11);
  player->pause();
  EXPECT_FALSE(player->isPlaying());
  player->removeObserver(timeToken);

  // A video that cannot be read stays current and never ends; the player is not harmed.
  player->replaceItems({missing, second});
  player->play();
  const auto endedBefore = ended.size();
  EXPECT_FALSE(runUntil([&] { return ended.size() > endedBefore; }, 1.5));
  EXPECT_EQ(player->currentItem()->url, missing);
  EXPECT_TRUE(std::isnan(player->currentDuration()));
  player->removeAllItems();
  EXPECT_FALSE(player->currentItem());
  EXPECT_EQ(player->currentTime(), 0);
}

}  // namespace
}  // namespace platform

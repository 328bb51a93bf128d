// The Linux shell services on a real X server (scripts/run-desktop-tests: Xvfb, a private
// session bus): alerts as real GTK dialogs (a screenshot goes to build/screenshots/), and the
// chosen scheme in GTK's settings. The status item and the videos are tested through the shell
// (tests/Quellorin/LinuxShellAppDesktopTest.cpp).

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Desktop/Linux/GtkAppearance.h"
#include "Platform/Desktop/Linux/LinuxAlertPresenter.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Dispatch/MainQueue.h"
#include "tests/support/GtkReadBack.h"

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

TEST_F(LinuxShellDesktop, TheChosenSchemeIsGtksAndTheSystemsComesBack) {
  const auto settings = [&] {
    return onGtk([] {
      gchar* theme = nullptr;
      gboolean dark = FALSE;
      g_object_get(gtk_settings_get_default(), "gtk-theme-name", &theme, "gtk-application-prefer-dark-theme",
                   &dark, nullptr);
      std::string text = std::string(theme != nullptr ? theme : "") + (dark ? " prefers dark" : "");
      g_free(theme);
      return text;
    });
  };
  onGtk([] { g_object_set(gtk_settings_get_default(), "gtk-theme-name", "Adwaita-dark", nullptr); });
  GtkAppearance appearance(desktop.desktopThread);
  EXPECT_EQ(appearance.systemScheme(), DesktopAppearance::Scheme::dark) << "a dark theme by name";

  struct Step {
    std::optional<DesktopAppearance::Scheme> chosen;
    std::string expected;
  };
  for (const auto& step : {Step{DesktopAppearance::Scheme::light, "Adwaita"},
                           Step{DesktopAppearance::Scheme::dark, "Adwaita-dark prefers dark"},
                           Step{std::nullopt, "Adwaita-dark"}}) {
    appearance.setApplicationScheme(step.chosen);
    EXPECT_EQ(settings(), step.expected);
  }
}

}  // namespace
}  // namespace platform

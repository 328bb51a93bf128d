#include <gtest/gtest.h>

#include <unistd.h>

#include "Platform/Core/InstanceLock.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Dispatch/Timer.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "ShellFixture.h"
#include "UI/Host.h"
#include "tests/support/TemporaryFolder.h"

namespace quellorin {
namespace {

class ShellStartupTest : public testsupport::ShellFixture {};

TEST_F(ShellStartupTest, StartsAsAnAccessoryWithTheWatchTheMenuAndTheUsageFetch) {
  auto stray = std::make_shared<platform::Window>(platform::Rect{0, 0, 100, 100}, 1, 2, false);
  stray->makeKeyAndOrderFront();
  auto& started = start();
  EXPECT_FALSE(stray->isVisible()) << "windows open before launch are ordered out";
  EXPECT_TRUE(started.isRunning());
  EXPECT_TRUE(started.isReady());
  EXPECT_EQ(started.application()->activationPolicy(), Application::ActivationPolicy::accessory);
  EXPECT_EQ(usageFetches, 1);
  // Badge, sound and alert (the notification service may ask as well while undecided).
  const auto requests = desktop().userNotificationCenter->authorizationRequests();
  ASSERT_FALSE(requests.empty());
  for (const unsigned options : requests) EXPECT_EQ(options, 7u);
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  settle(1.0);  // the first tick of the permission watch installs the monitor
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_FALSE(started.delegate()->permissionTimer()->isValid());
}

TEST_F(ShellStartupTest, ASecondInstanceTerminatesAndTheFirstKeepsRunning) {
  auto terminations = watchPosts(Application::willTerminateNotification);
  desktop().workspace->launch({getpid() + 1, "com.tarvenix.Quellorin", "Quellorin"});
  auto& second = start();
  EXPECT_FALSE(second.isRunning());
  EXPECT_TRUE(second.application()->isTerminated());
  EXPECT_EQ(terminations->size(), 1u);
  EXPECT_EQ(usageFetches, 0);  // nothing after the check runs
  EXPECT_FALSE(second.menuBarExtra());
  EXPECT_TRUE(env().windowServer->windows().empty());
}

TEST_F(ShellStartupTest, TheLockFileKeepsOneInstancePerUser) {
  const testsupport::TemporaryFolder folder("shell-lock-");
  const auto file = folder.path() / "instance.lock";
  auto first = platform::InstanceLock::acquire(file);
  ASSERT_TRUE(first);
  auto opts = options();
  opts.delegate.instanceLockFile = file;
  ApplicationShell second(*env().mainQueue, opts);
  EXPECT_FALSE(second.isRunning());
  EXPECT_TRUE(second.application()->isTerminated());
  first.reset();  // the first instance ends: the next one runs
  ApplicationShell third(*env().mainQueue, opts);
  EXPECT_TRUE(third.isRunning());
  EXPECT_FALSE(platform::InstanceLock::acquire(file));
  third.terminate();
}

TEST_F(ShellStartupTest, TheApplicationsNotificationsShowAsBannersEvenWhileItIsInFront) {
  auto& center = *desktop().userNotificationCenter;
  center.setAuthorizationStatus(platform::AuthorizationStatus::authorized);
  const auto send = [&](bool inFront) {
    env().windowServer->setApplicationActive(inFront);
    notifications->sendNotification("title", "body");
    return center.banners().size();
  };
  EXPECT_EQ(send(true), 0u) << "before start-up nothing asks to show it in front";
  start();
  EXPECT_EQ(send(true), 1u);
  EXPECT_EQ(send(false), 2u);
  EXPECT_EQ(center.delivered().size(), 3u);
}

TEST_F(ShellStartupTest, StoresTheIdentifierAtTheFirstLaunchAndCorrectsAPlaceholder) {
  const std::string unknown = AppDelegate::unknownDeviceIdentifier;
  const struct {
    std::optional<bool> isFirstLaunch;    // stored before start; none: absent
    std::optional<std::string> stored;    // "DeviceIdentifier" before start
    std::string readable;                 // what the machine answers now
    std::optional<std::string> expected;  // "DeviceIdentifier" after start
  } cases[] = {{std::nullopt, std::nullopt, "C02", "C02"},
               {true, "OLD", "C02", "C02"},
               {std::nullopt, std::nullopt, unknown, unknown},
               {false, "OLD", "C02", "OLD"},
               {false, unknown, "C02", "C02"},  // the placeholder is corrected
               {false, unknown, unknown, unknown},
               {false, std::nullopt, "C02", "C02"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readable + " over " + c.stored.value_or("nothing"));
    env().userDefaults = platform::UserDefaults::inMemory();
    auto& store = *env().userDefaults;
    store.setBool("hasSeenOnboarding", true);
    if (c.isFirstLaunch) store.setBool(AppDelegate::isFirstLaunchKey, *c.isFirstLaunch);
    if (c.stored) store.setString("DeviceIdentifier", *c.stored);
    deviceIdentifier = c.readable;
    platform::LogCapture lines;
    start();
    EXPECT_EQ(store.string("DeviceIdentifier"), c.expected);
    EXPECT_EQ(store.object(AppDelegate::isFirstLaunchKey), platform::DefaultsValue(false));
    EXPECT_EQ(lines.contains("Device Identifier: "), c.expected != c.stored) << "printed when stored";
    shell.reset();
  }
}

TEST_F(ShellStartupTest, TheOnboardingWindowOpensUntilTheUserTurnsItOff) {
  start();
  const auto window = shell->delegate()->onboardingWindow();
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_EQ(window->title(), L("guideVideo"));
  EXPECT_EQ(window->styleMask(), 11u);
  // Sized to its content (the player area and the bar, 720 wide), centred on the 1440 by 900 screen.
  EXPECT_EQ(window->frame(), (platform::Rect{360, (900 - window->frame().height) / 2, 720,
                                             shell->delegate()->onboardingHost()->measuredHeight()}));
  EXPECT_GT(window->frame().height, OnboardingView::videoHeight);

  shell->delegate()->onboardingHost()->click("onboarding.noShowAgain");
  EXPECT_TRUE(env().userDefaults->bool_("hasSeenOnboarding"));
  shell.reset();

  start();
  EXPECT_FALSE(shell->delegate()->onboardingWindow());
  EXPECT_TRUE(env().windowServer->windows().empty());
}

TEST_F(ShellStartupTest, ShutdownRemovesTheMonitorAndPostsTheTerminationOnce) {
  auto& started = start();
  settle(1.0);
  ASSERT_TRUE(monitor->hasGlobalMonitor());
  auto terminations = watchPosts(Application::willTerminateNotification);
  bool stoppedInTime = false;
  started.application()->onWillTerminate([&] { stoppedInTime = terminations->empty(); });
  // The quit item.
  ASSERT_TRUE(started.menuBarExtra()->choose("exit"));
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  EXPECT_TRUE(stoppedInTime);  // handlers run before the notification
  EXPECT_EQ(terminations->size(), 1u);
  started.terminate();
  shell.reset();
  EXPECT_EQ(terminations->size(), 1u);
  EXPECT_FALSE(AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
}

}  // namespace
}  // namespace quellorin

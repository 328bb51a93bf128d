#include "Quellorin/Services/AccessibilityService.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/Timer.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/EventMonitorService.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"

namespace quellorin {
namespace {

class AccessibilityServiceTest : public testsupport::DesktopFixture {
 protected:
  AccessibilityServiceTest() { desktop().accessibility->setProcessTrusted(false); }

  std::vector<std::string> notificationTitles() {
    std::vector<std::string> titles;
    for (const auto& request : desktop().userNotificationCenter->requests()) {
      titles.push_back(request.content.title);
    }
    return titles;
  }

  platform::LogCapture log;
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>();
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<EventMonitorService> monitor = std::make_shared<EventMonitorService>(
      textHandling, std::make_shared<WindowService>(textHandling), aiService);
  std::shared_ptr<NotificationService> notifications = std::make_shared<NotificationService>();
  std::shared_ptr<AccessibilityService> watch =
      std::make_shared<AccessibilityService>(monitor, notifications);
  const std::string required = platform::localizedString("accessibilityPermissionsRequired");
  const std::string granted = platform::localizedString("accessibilityPermissions");
};

TEST_F(AccessibilityServiceTest, UntrustedOpensThePaneOnceAndRemindsASecondLater) {
  const auto timer = watch->startWatching();
  settle(0.99);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty());
  settle(0.01);
  EXPECT_EQ(desktop().workspace->openedURLs(),
            std::vector<std::string>{AccessibilityService::privacyPaneURL});
  EXPECT_TRUE(env().userDefaults->contains("isFeatureEnabled"));
  EXPECT_FALSE(env().userDefaults->bool_("isFeatureEnabled"));
  EXPECT_TRUE(notificationTitles().empty());
  settle(1);
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{required});

  env().userDefaults->remove("isFeatureEnabled");
  settle(5);
  EXPECT_EQ(desktop().workspace->openedURLs().size(), 1u);
  EXPECT_FALSE(env().userDefaults->contains("isFeatureEnabled"))
      << "written only on the first untrusted tick";
  EXPECT_TRUE(timer->isValid());
  EXPECT_FALSE(monitor->hasGlobalMonitor());
}

TEST_F(AccessibilityServiceTest, TrustGrantedLaterInstallsTheMonitorAndStopsWatching) {
  const auto timer = watch->startWatching();
  settle(2.5);
  desktop().accessibility->setProcessTrusted(true);
  settle(0.5);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(notificationTitles(), (std::vector<std::string>{required, granted}));
  EXPECT_TRUE(log.contains("设置全局事件监视器。"));
}

TEST_F(AccessibilityServiceTest, TrustedAtLaunchInstallsAtTheFirstTickWithoutThePane) {
  desktop().accessibility->setProcessTrusted(true);
  const auto timer = watch->startWatching();
  settle(1);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 1u);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty());
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{granted});
  settle(3);
  EXPECT_EQ(desktop().eventSystem->monitorCount(), 1u);
}

TEST_F(AccessibilityServiceTest, ARefusedMonitorKeepsTheWatchGoing) {
  desktop().accessibility->setProcessTrusted(true);
  desktop().eventSystem->refuseMonitors(true);
  const auto timer = watch->startWatching();
  settle(2);
  EXPECT_TRUE(timer->isValid());
  EXPECT_FALSE(monitor->hasGlobalMonitor());
  EXPECT_TRUE(notificationTitles().empty());
  EXPECT_TRUE(log.contains("全局事件监视器安装失败"));

  desktop().eventSystem->refuseMonitors(false);
  settle(1);
  EXPECT_TRUE(monitor->hasGlobalMonitor());
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(notificationTitles(), std::vector<std::string>{granted});
}

}  // namespace
}  // namespace quellorin

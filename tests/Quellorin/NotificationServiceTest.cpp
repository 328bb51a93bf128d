#include "Quellorin/Services/NotificationService.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"

namespace quellorin {
namespace {

using platform::AuthorizationStatus;

class NotificationServiceTest : public testsupport::DesktopFixture {
 protected:
  platform::SimulatedUserNotificationCenter& center() { return *desktop().userNotificationCenter; }
  platform::RecordingAlertPresenter& alerts() {
    return dynamic_cast<platform::RecordingAlertPresenter&>(*env().alertPresenter);
  }
  void postEditorRequest(std::map<std::string, std::string> userInfo) {
    env().notificationCenter->post(NotificationService::sendEditorNotification, std::nullopt,
                                   std::move(userInfo));
    settle(0);
  }

  platform::LogCapture log;
  std::shared_ptr<NotificationService> service = std::make_shared<NotificationService>();
};

TEST_F(NotificationServiceTest, DeniedAtLaunchShowsTheAlertAndOpensTheSettingsOnTheFirstButton) {
  center().setAuthorizationStatus(AuthorizationStatus::denied);
  alerts().scriptAnswer(0);
  service->checkAuthorizationAtLaunch();
  settle(0);
  const auto shown = alerts().shownAlerts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].style, platform::AlertStyle::warning);
  EXPECT_EQ(shown[0].messageText, platform::localizedString("notificationPermissionDenied"));
  EXPECT_EQ(shown[0].informativeText, platform::localizedString("pleaseEbableNotification"));
  EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{platform::localizedString("openSettings"),
                                                        platform::localizedString("cancel")}));
  EXPECT_EQ(desktop().workspace->openedURLs(),
            std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.notifications"});
  EXPECT_TRUE(log.contains("打开了系统设置"));
  EXPECT_FALSE(service->isListening());
}

TEST_F(NotificationServiceTest, TheSecondButtonOpensNothing) {
  center().setAuthorizationStatus(AuthorizationStatus::denied);
  alerts().scriptAnswer(1);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_EQ(alerts().shownAlerts().size(), 1u);
  EXPECT_TRUE(desktop().workspace->openedURLs().empty());
}

TEST_F(NotificationServiceTest, AYesToTheRequestLetsOtherCodeSendNotifications) {
  center().scriptAuthorizationAnswer(true);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_EQ(center().authorizationRequests(), std::vector<unsigned>{7});
  EXPECT_TRUE(log.contains("用户同意授权通知"));
  postEditorRequest({{"title", "Copied"}, {"body", "The answer is on the pasteboard"}});
  const auto delivered = center().delivered();
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].content,
            (platform::NotificationContent{"Copied", "The answer is on the pasteboard", true}));
  EXPECT_TRUE(log.contains("系统通知已发送"));

  postEditorRequest({{"title", "no body"}});
  EXPECT_EQ(center().requests().size(), 1u) << "a request without a body is ignored";
}

TEST_F(NotificationServiceTest, ANoToTheRequestRegistersNothing) {
  center().scriptAuthorizationAnswer(false);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_TRUE(log.contains("用户拒绝授权通知"));
  EXPECT_FALSE(service->isListening());
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_TRUE(center().requests().empty());
  EXPECT_TRUE(alerts().shownAlerts().empty());
}

TEST_F(NotificationServiceTest, APermissionGrantedLaterInTheRunStartsTheListener) {
  center().setAuthorizationStatus(AuthorizationStatus::denied);
  alerts().scriptAnswer(1);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_FALSE(service->isListening());
  center().setAuthorizationStatus(AuthorizationStatus::authorized);
  settle(0);
  EXPECT_TRUE(service->isListening());
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_EQ(center().delivered().size(), 1u);
  center().setAuthorizationStatus(AuthorizationStatus::provisional);
  settle(0);
  postEditorRequest({{"title", "t"}, {"body", "b"}});
  EXPECT_EQ(center().delivered().size(), 2u) << "the listener is registered once";
}

TEST_F(NotificationServiceTest, EachNotificationHasItsOwnIdentifierAndFailuresAreLogged) {
  center().setAuthorizationStatus(AuthorizationStatus::authorized);
  service->checkAuthorizationAtLaunch();
  settle(0);
  EXPECT_TRUE(log.contains("通知权限已授权"));
  service->sendNotification("same", "same");
  service->sendNotification("same", "same");
  settle(0);
  const auto delivered = center().delivered();
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_NE(delivered[0].identifier, delivered[1].identifier);

  center().failDeliveries("the centre is unavailable");
  service->sendNotification("t", "b");
  settle(0);
  EXPECT_TRUE(log.contains("通知发送失败: the centre is unavailable"));
}

}  // namespace
}  // namespace quellorin

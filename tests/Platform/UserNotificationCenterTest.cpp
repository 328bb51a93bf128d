#include "Platform/Desktop/Simulated/SimulatedUserNotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>

#include "Platform/Dispatch/TaskPool.h"

namespace platform {
namespace {

struct UserNotificationCenterFixture : ::testing::Test {
  std::shared_ptr<TaskPool> pool = std::make_shared<TaskPool>(2);
  SimulatedUserNotificationCenter center{pool};
};

TEST_F(UserNotificationCenterFixture, TheScriptedAnswerDecidesAnUndecidedPermission) {
  center.scriptAuthorizationAnswer(true);
  std::atomic<bool> granted = false;
  center.requestAuthorization(7, [&](bool answer, std::optional<std::string>) { granted = answer; });
  pool->waitUntilIdle();
  EXPECT_TRUE(granted);
  EXPECT_EQ(center.authorizationStatus(), AuthorizationStatus::authorized);

  center.scriptAuthorizationAnswer(false);
  center.requestAuthorization(7, [&](bool answer, std::optional<std::string>) { granted = answer; });
  pool->waitUntilIdle();
  EXPECT_TRUE(granted) << "a decided permission is not asked again";
  EXPECT_EQ(center.authorizationRequests(), (std::vector<unsigned>{7, 7}));
}

TEST_F(UserNotificationCenterFixture, DeliversOnlyWhileAllowed) {
  center.add({"1", {"t", "b", true}}, [](std::optional<std::string>) {});
  center.setAuthorizationStatus(AuthorizationStatus::provisional);
  center.add({"2", {"t", "b", true}}, [](std::optional<std::string>) {});
  center.failDeliveries("offline");
  std::optional<std::string> error;
  center.add({"3", {"t", "b", true}}, [&](std::optional<std::string> e) { error = std::move(e); });
  pool->waitUntilIdle();
  EXPECT_EQ(error, "offline");
  EXPECT_EQ(center.requests().size(), 3u);
  ASSERT_EQ(center.delivered().size(), 1u);
  EXPECT_EQ(center.delivered()[0].identifier, "2");
}

TEST_F(UserNotificationCenterFixture, TellsObserversOfChangesInTheSystemSettings) {
  std::atomic<int> seen = -1;
  center.observeAuthorizationChanges([&](AuthorizationStatus status) { seen = static_cast<int>(status); });
  center.setAuthorizationStatus(AuthorizationStatus::ephemeral);
  pool->waitUntilIdle();
  EXPECT_EQ(seen, 4);
}

}  // namespace
}  // namespace platform

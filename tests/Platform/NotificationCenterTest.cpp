#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"

namespace {

using Delivery = platform::NotificationCenter::Delivery;

class NotificationCenterTest : public ::testing::Test {
 protected:
  platform::VirtualEnvironment environment;
  platform::NotificationCenter& center = *platform::NotificationCenter::defaultCenter();
  std::vector<std::string> calls;
};

TEST_F(NotificationCenterTest, DeliversNameObjectAndUserInformation) {
  std::optional<platform::Notification> received;
  center.addObserver("sendEditorNotification", Delivery::postingThread,
                     [&](const platform::Notification& notification) { received = notification; });
  center.post("sendEditorNotification", "editor", {{"title", "标题"}, {"body", "text"}});
  ASSERT_TRUE(received.has_value());
  EXPECT_EQ(received->name, "sendEditorNotification");
  EXPECT_EQ(received->object, "editor");
  EXPECT_EQ(received->userInfo, (std::map<std::string, std::string>{{"title", "标题"}, {"body", "text"}}));

  center.post("sendEditorNotification");
  EXPECT_FALSE(received->object.has_value());
  EXPECT_TRUE(received->userInfo.empty());
}

TEST_F(NotificationCenterTest, OnlyObserversOfThePostedNameAreCalledInRegistrationOrder) {
  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) { calls.push_back("first"); });
  center.addObserver("UserDidLogin", Delivery::postingThread, [&](auto&) { calls.push_back("other name"); });
  center.addObserver("PipelineUpdated", Delivery::mainQueue, [&](auto&) { calls.push_back("second"); });
  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) { calls.push_back("third"); });
  center.post("PipelineUpdated");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "third"}));
  center.post("NobodyListens");
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(NotificationCenterTest, MainQueueObserversOfAPostFromAnotherThreadWaitForTheMainQueue) {
  std::atomic<int> onPoster{0};
  bool onMain = false;
  center.addObserver("processingStarted", Delivery::postingThread, [&](auto&) { ++onPoster; });
  center.addObserver("processingStarted", Delivery::mainQueue,
                     [&](auto&) { onMain = platform::MainQueue::main()->isMainThread(); });
  std::thread poster([&] { center.post("processingStarted"); });
  poster.join();
  EXPECT_EQ(onPoster, 1);
  EXPECT_FALSE(onMain);
  environment.advance(0);
  EXPECT_TRUE(onMain);
}

TEST_F(NotificationCenterTest, RemovedObserversAreNotCalled) {
  auto token =
      center.addObserver("UserInfoChanged", Delivery::postingThread, [&](auto&) { calls.push_back("x"); });
  center.post("UserInfoChanged");
  center.removeObserver(token);
  center.removeObserver(token);  // a second removal does nothing
  center.post("UserInfoChanged");
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(NotificationCenterTest, AnObserverRemovedWhileAPostIsBeingDeliveredIsNotCalledAfterwards) {
  platform::NotificationCenter::ObserverToken second;
  center.addObserver("processingEnded", Delivery::postingThread, [&](auto&) {
    calls.push_back("first");
    center.removeObserver(second);
  });
  second = center.addObserver("processingEnded", Delivery::postingThread,
                              [&](auto&) { calls.push_back("second"); });
  center.post("processingEnded");
  EXPECT_EQ(calls, std::vector<std::string>{"first"});
}

TEST_F(NotificationCenterTest, AQueuedMainQueueDeliveryIsDroppedWhenTheObserverIsRemovedFirst) {
  auto token =
      center.addObserver("processingEnded", Delivery::mainQueue, [&](auto&) { calls.push_back("late"); });
  std::thread poster([&] { center.post("processingEnded", "error"); });
  poster.join();
  center.removeObserver(token);
  environment.advance(0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(NotificationCenterTest, AnObserverMayRemoveItselfAndAddOthersFromItsCallback) {
  platform::NotificationCenter::ObserverToken self;
  self = center.addObserver("OpenSetting", Delivery::postingThread, [&](auto&) {
    calls.push_back("once");
    center.removeObserver(self);
    center.addObserver("OpenSetting", Delivery::postingThread, [&](auto&) { calls.push_back("added"); });
  });
  center.post("OpenSetting");
  EXPECT_EQ(calls, std::vector<std::string>{"once"});  // an observer added during a post waits for the next
  center.post("OpenSetting");
  EXPECT_EQ(calls, (std::vector<std::string>{"once", "added"}));
}

TEST_F(NotificationCenterTest, AnObserverMayPostFromItsCallback) {
  center.addObserver("PipelineUpdated", Delivery::postingThread, [&](auto&) {
    calls.push_back("updated");
    center.post("UserInfoChanged");
  });
  center.addObserver("UserInfoChanged", Delivery::mainQueue, [&](auto&) { calls.push_back("info"); });
  center.post("PipelineUpdated");
  EXPECT_EQ(calls, (std::vector<std::string>{"updated", "info"}));
}

TEST_F(NotificationCenterTest, PostingFromManyThreadsDeliversEveryPost) {
  constexpr int threads = 8;
  constexpr int postsPerThread = 500;
  std::atomic<int> onPosters{0};
  int onMain = 0;
  center.addObserver("ApiUsageCountUpdated", Delivery::postingThread, [&](auto&) { ++onPosters; });
  center.addObserver("ApiUsageCountUpdated", Delivery::mainQueue, [&](auto&) { ++onMain; });
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < postsPerThread; ++i) center.post("ApiUsageCountUpdated");
    });
  }
  for (auto& poster : posters) poster.join();
  environment.advance(0);
  EXPECT_EQ(onPosters, threads * postsPerThread);
  EXPECT_EQ(onMain, threads * postsPerThread);
}

TEST_F(NotificationCenterTest, ObserversComeAndGoWhileOtherThreadsPost) {
  constexpr int posters = 4;
  std::atomic<int> postersDone{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < posters; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) center.post("UserDidLogin");
      ++postersDone;
    });
  }
  int afterRemoval = 0;
  while (postersDone < posters) {
    bool removed = false;  // both touched on this thread only
    const auto token = center.addObserver("UserDidLogin", Delivery::mainQueue, [&](auto&) {
      if (removed) ++afterRemoval;
    });
    environment.advance(0);
    center.removeObserver(token);
    removed = true;
    environment.advance(0);  // deliveries still queued for the removed observer are dropped
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(afterRemoval, 0);
}

}  // namespace

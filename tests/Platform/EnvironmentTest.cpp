#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <semaphore>
#include <thread>
#include <string>
#include <stdexcept>
#include <vector>

#include "Platform/Dispatch/Clock.h"
#include "Platform/Core/Environment.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/VirtualClock.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace {

TEST(Environment, SharedInstancesComeFromTheInstalledEnvironment) {
  platform::VirtualEnvironment environment;
  EXPECT_EQ(platform::Clock::current(), environment.environment().clock);
  EXPECT_EQ(platform::MainQueue::main(), environment.environment().mainQueue);
  EXPECT_EQ(platform::TaskPool::shared(), environment.environment().taskPool);
  EXPECT_EQ(platform::NotificationCenter::defaultCenter(), environment.environment().notificationCenter);
  EXPECT_EQ(platform::Clock::current().get(), &environment.clock());
}

TEST(Environment, AVirtualEnvironmentRestoresThePreviousOneAndNoneMeansAnError) {
  const auto before = platform::Environment::install(nullptr);
  EXPECT_THROW(platform::Environment::current(), std::logic_error);
  EXPECT_THROW(platform::MainQueue::main(), std::logic_error);
  {
    platform::VirtualEnvironment outer;
    {
      platform::VirtualEnvironment inner;
      EXPECT_EQ(platform::Environment::current().get(), &inner.environment());
    }
    EXPECT_EQ(platform::Environment::current().get(), &outer.environment());
  }
  EXPECT_THROW(platform::Environment::current(), std::logic_error);
  platform::Environment::install(before);
}

// Points HOME at a fresh folder, without XDG_CONFIG_HOME, for its lifetime.
class TemporaryHome {
 public:
  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  testsupport::TemporaryFolder folder_{"quellorin-environment-"};
  testsupport::ScopedEnvironmentVariable home_{"HOME", folder_.path().c_str()};
  testsupport::ScopedEnvironmentVariable config_{"XDG_CONFIG_HOME", nullptr};
};

TEST(EnvironmentIntegration, TheRealEnvironmentKeepsUserDefaultsInTheStandardFile) {
  TemporaryHome home;
  {
    const auto real = platform::Environment::makeSystemServices();
    ASSERT_NE(real->clock, nullptr);
    EXPECT_GT(real->clock->wallTime(), 1'600'000'000.0);
    EXPECT_NE(real->mainQueue, nullptr);
    EXPECT_NE(real->taskPool, nullptr);
    EXPECT_NE(real->notificationCenter, nullptr);
    ASSERT_NE(real->userDefaults, nullptr);
    real->userDefaults->setString("Language", "fr");
  }
  EXPECT_TRUE(std::filesystem::exists(home.path() / ".config/quellorin/user-defaults.json"));
  EXPECT_EQ(platform::Environment::makeSystemServices()->userDefaults->string("Language"), "fr");
}

TEST(Environment, EachVirtualEnvironmentHasItsOwnEmptyUserDefaults) {
  for (int i = 0; i < 2; ++i) {
    platform::VirtualEnvironment environment;
    auto& defaults = *environment.environment().userDefaults;
    EXPECT_FALSE(defaults.contains("SessionToken"));
    defaults.setString("SessionToken", "token");
  }
}

TEST(Environment, EachVirtualEnvironmentStartsFresh) {
  std::vector<std::chrono::nanoseconds> starts;
  for (int i = 0; i < 2; ++i) {
    platform::VirtualEnvironment environment;
    starts.push_back(environment.clock().monotonicTime());
    bool leftOver = false;
    platform::MainQueue::main()->asyncAfter(1.0, [&] { leftOver = true; });
    environment.advance(0.5);
    EXPECT_FALSE(leftOver);
  }
  EXPECT_EQ(starts[0], starts[1]);
}

TEST(Environment, RunUntilIdleSettlesWorkBouncingBetweenThePoolAndTheMainQueue) {
  platform::VirtualEnvironment environment;
  auto mainQueue = platform::MainQueue::main();
  auto pool = platform::TaskPool::shared();
  std::vector<int> steps;  // touched on the main queue only
  std::atomic<bool> delayedRan{false};
  // pool -> main -> pool -> main, then one step that is not due yet.
  pool->async([&] {
    mainQueue->async([&] {
      steps.push_back(1);
      pool->async([&] {
        mainQueue->async([&] { steps.push_back(2); });
        mainQueue->asyncAfter(0.2, [&] { delayedRan = true; });
      });
    });
  });
  environment.runUntilIdle();
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  EXPECT_FALSE(delayedRan);
  environment.advance(0.2);
  EXPECT_TRUE(delayedRan);
}

TEST(Environment, RunUntilRunsWorkThatAnotherThreadPostsUntilTheConditionHolds) {
  platform::VirtualEnvironment environment;
  auto mainQueue = platform::MainQueue::main();
  int delivered = 0;  // touched on the main queue and the test's thread only
  std::binary_semaphore handled(0);
  // A thread of its own, as a server or a library would have: each post waits for the
  // previous one to have been handled on the main queue.
  std::thread server([&] {
    for (int i = 0; i < 3; ++i) {
      mainQueue->async([&] {
        ++delivered;
        handled.release();
      });
      handled.acquire();
    }
  });
  EXPECT_TRUE(environment.runUntil([&] { return delivered == 3; }));
  server.join();
  EXPECT_EQ(delivered, 3);
}

TEST(Environment, RunUntilAnswersWhetherTheConditionHeld) {
  platform::VirtualEnvironment environment;
  bool ran = false;
  platform::MainQueue::main()->async([&] { ran = true; });
  EXPECT_TRUE(environment.runUntil([&] { return ran; }, 0));
  EXPECT_FALSE(environment.runUntil([] { return false; }, 0));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Platform/Dispatch/SystemClock.h"
#include "Platform/Dispatch/VirtualClock.h"

namespace {

using namespace std::chrono_literals;

TEST(Clock, DurationsFromSecondsAreExactWholeNanoseconds) {
  EXPECT_EQ(platform::durationFromSeconds(0.1) + platform::durationFromSeconds(0.2),
            platform::durationFromSeconds(0.3));
  EXPECT_EQ(platform::durationFromSeconds(0.2), 200ms);
  EXPECT_EQ(platform::durationFromSeconds(2.0), 2s);
  EXPECT_EQ(platform::durationFromSeconds(1e-9), 1ns);
  EXPECT_EQ(platform::durationFromSeconds(-1.0), 0ns);
  EXPECT_EQ(platform::durationFromSeconds(std::numeric_limits<double>::quiet_NaN()), 0ns);
  EXPECT_EQ(platform::durationFromSeconds(std::numeric_limits<double>::infinity()),
            platform::durationFromSeconds(100.0 * 365.25 * 24 * 3600));
}

TEST(Clock, SystemClockReadsTheRealClocks) {
  platform::SystemClock clock;
  EXPECT_GT(clock.wallTime(), 1'600'000'000.0);  // after September 2020
  const auto first = clock.monotonicTime();
  const auto second = clock.monotonicTime();
  EXPECT_GT(first.count(), 0);
  EXPECT_LE(first, second);
  EXPECT_NEAR(clock.monotonicSeconds(), std::chrono::duration<double>(clock.monotonicTime()).count(), 1.0);
}

TEST(Clock, VirtualClockMovesOnlyWhenTold) {
  platform::VirtualClock clock;
  const double wall = clock.wallTime();
  const auto monotonic = clock.monotonicTime();
  EXPECT_DOUBLE_EQ(wall, 1'767'225'600.0);
  EXPECT_GT(monotonic, 0ns);
  EXPECT_EQ(clock.monotonicTime(), monotonic);

  clock.advanceBy(1500ms);
  EXPECT_EQ(clock.monotonicTime(), monotonic + 1500ms);
  EXPECT_DOUBLE_EQ(clock.wallTime(), wall + 1.5);
  EXPECT_DOUBLE_EQ(clock.monotonicSeconds(), std::chrono::duration<double>(monotonic).count() + 1.5);

  clock.advanceBy(-5s);
  EXPECT_EQ(clock.monotonicTime(), monotonic + 1500ms);
}

TEST(Clock, SettingTheVirtualWallTimeLeavesMonotonicTimeAlone) {
  platform::VirtualClock clock;
  const auto monotonic = clock.monotonicTime();
  clock.setWallTime(1.5);
  EXPECT_DOUBLE_EQ(clock.wallTime(), 1.5);
  EXPECT_EQ(clock.monotonicTime(), monotonic);

  // A present-day time keeps its milliseconds.
  clock.setWallTime(1'767'225'600.125);
  EXPECT_DOUBLE_EQ(clock.wallTime(), 1'767'225'600.125);
  clock.advanceBy(1ms);
  EXPECT_NEAR(clock.wallTime(), 1'767'225'600.126, 1e-6);
}

}  // namespace

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"

#include <chrono>

#include "Platform/Http/CurlHttpClient.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/VirtualClock.h"

namespace platform {
namespace {

std::shared_ptr<Environment> makeVirtual(const std::shared_ptr<VirtualClock>& clock,
                                         SimulatedDesktop& desktop) {
  auto environment = std::make_shared<Environment>();
  environment->clock = clock;
  environment->mainQueue = std::make_shared<MainQueue>(clock);
  environment->taskPool = std::make_shared<TaskPool>();
  environment->notificationCenter = std::make_shared<NotificationCenter>(environment->mainQueue);
  environment->userDefaults = UserDefaults::inMemory();
  environment->httpClient = std::make_shared<CurlHttpClient>();
  environment->alertPresenter = std::make_shared<RecordingAlertPresenter>();
  desktop = installSimulatedDesktop(*environment);
  return environment;
}

}  // namespace

VirtualEnvironment::VirtualEnvironment()
    : clock_(std::make_shared<VirtualClock>()),
      environment_(makeVirtual(clock_, desktop_)),
      time_(clock_, environment_->mainQueue),
      previous_(Environment::install(environment_)) {}

VirtualEnvironment::~VirtualEnvironment() {
  if (environment_->taskPool) environment_->taskPool->waitUntilIdle();
  Environment::install(previous_);
}

void VirtualEnvironment::advance(double seconds) { time_.advance(seconds); }

void VirtualEnvironment::runUntilIdle() {
  auto& mainQueue = *environment_->mainQueue;
  auto& taskPool = *environment_->taskPool;
  auto somethingDue = [&] {
    const auto deadline = mainQueue.nextDeadline();
    return deadline && *deadline <= clock_->monotonicTime();
  };
  do {
    taskPool.waitUntilIdle();
    time_.advance(0);
  } while (!taskPool.isIdle() || somethingDue());
}

bool VirtualEnvironment::runUntil(const std::function<bool()>& condition, double limitSeconds) {
  const auto giveUp = std::chrono::steady_clock::now() + durationFromSeconds(limitSeconds);
  while (true) {
    time_.advance(0);
    if (condition()) return true;
    const auto left = giveUp - std::chrono::steady_clock::now();
    if (left.count() <= 0) return false;
    environment_->mainQueue->waitForDueWork(std::chrono::duration_cast<std::chrono::nanoseconds>(left));
  }
}

}  // namespace platform

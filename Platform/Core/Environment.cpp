#include "Platform/Core/Environment.h"

#include <mutex>
#include <stdexcept>
#include <utility>

#include "Platform/Http/CurlHttpClient.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Dispatch/SystemClock.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Defaults/UserDefaults.h"

namespace platform {
namespace {

std::mutex& installedMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<Environment>& installed() {
  static std::shared_ptr<Environment> environment;
  return environment;
}

}  // namespace

std::shared_ptr<Environment> Environment::makeSystemServices() {
  auto environment = std::make_shared<Environment>();
  environment->clock = std::make_shared<SystemClock>();
  environment->mainQueue = std::make_shared<MainQueue>(environment->clock);
  environment->taskPool = std::make_shared<TaskPool>();
  environment->notificationCenter = std::make_shared<NotificationCenter>(environment->mainQueue);
  environment->userDefaults = UserDefaults::openStandard();
  environment->httpClient = std::make_shared<CurlHttpClient>();
  return environment;
}

std::shared_ptr<Environment> Environment::current() {
  std::lock_guard lock(installedMutex());
  if (!installed()) throw std::logic_error("no platform environment is installed");
  return installed();
}

std::shared_ptr<Environment> Environment::install(std::shared_ptr<Environment> environment) {
  std::lock_guard lock(installedMutex());
  return std::exchange(installed(), std::move(environment));
}

}  // namespace platform

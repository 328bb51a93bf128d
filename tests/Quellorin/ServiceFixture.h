#pragma once

// A platform environment on virtual time whose HTTP client talks to a stand-in service started
// for the test, with a recording alert presenter and an in-memory user-defaults store. Every
// event, alert, notification and user-defaults change lands in one journal, in the order it
// happened, so that tests can check the order across all of them.

#include "Platform/Http/CurlHttpClient.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "tests/support/StandInProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class ServiceFixture : public ::testing::Test {
 private:
  // Declared first so that they outlive the environment, whose pool work may still note.
  std::mutex mutex_;
  std::vector<std::string> journal_;
  bool savedURL_ = false;
  std::optional<std::string> previousURL_;

 protected:
  ServiceFixture() {
    auto& environment = virtualEnvironment.environment();
    environment.userDefaults = platform::UserDefaults::inMemory();
    environment.httpClient = std::make_shared<platform::CurlHttpClient>();
    environment.alertPresenter = alerts;
    useServiceURL(service.baseURL());
    alerts->setOnShow([this](const platform::Alert& alert) { note("alert: " + alert.messageText); });
    for (const char* name : {"AlertDidClose", "UserDidLogin", "UserInfoChanged",
                             "UserSubscriptionInfoUpdated", "ApiUsageCountUpdated"}) {
      environment.notificationCenter->addObserver(
          name, platform::NotificationCenter::Delivery::postingThread,
          [this](const platform::Notification& n) { note("post: " + n.name); });
    }
    for (const char* key : {"SessionToken", "userId", "email", "apiUsageCount", "subscriptionVersion"}) {
      environment.userDefaults->addObserver(key, [this](const std::string& changed, const auto& value) {
        note("defaults: " + changed + (value ? " set" : " removed"));
      });
    }
  }

  ~ServiceFixture() override {
    if (previousURL_)
      setenv("QUELLORIN_SERVICE_URL", previousURL_->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }

  void useServiceURL(const std::string& url) {
    if (!savedURL_) {
      savedURL_ = true;
      if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previousURL_ = old;
    }
    setenv("QUELLORIN_SERVICE_URL", url.c_str(), 1);
  }

  void note(const std::string& entry) {
    std::lock_guard lock(mutex_);
    journal_.push_back(entry);
  }

  std::vector<std::string> journal() {
    std::lock_guard lock(mutex_);
    return journal_;
  }

  // The journal entries that start with `prefix`.
  std::vector<std::string> journalOf(const std::string& prefix) {
    std::vector<std::string> picked;
    for (const auto& entry : journal()) {
      if (entry.starts_with(prefix)) picked.push_back(entry);
    }
    return picked;
  }

  // Requests the stand-in has received for `path`.
  std::vector<nlohmann::json> requestsTo(const std::string& path) {
    std::vector<nlohmann::json> picked;
    for (const auto& request : service.requests()) {
      if (request["path"] == path) picked.push_back(request);
    }
    return picked;
  }

  platform::UserDefaults& defaults() { return *virtualEnvironment.environment().userDefaults; }

  StandInProcess service;
  platform::VirtualEnvironment virtualEnvironment;
  std::shared_ptr<platform::RecordingAlertPresenter> alerts =
      std::make_shared<platform::RecordingAlertPresenter>();
  platform::LogCapture log;
};

}  // namespace testsupport

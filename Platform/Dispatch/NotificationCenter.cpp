#include "Platform/Dispatch/NotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "Platform/Core/Environment.h"
#include "Platform/Dispatch/MainQueue.h"

namespace platform {

struct NotificationCenter::Registration {
  Registration(std::uint64_t identifier, Delivery where, Observer function)
      : id(identifier), delivery(where), observer(std::move(function)) {}

  const std::uint64_t id;
  const Delivery delivery;
  const Observer observer;
  std::atomic<bool> removed{false};
};

NotificationCenter::NotificationCenter(std::shared_ptr<MainQueue> mainQueue)
    : mainQueue_(std::move(mainQueue)) {}

NotificationCenter::ObserverToken NotificationCenter::addObserver(const std::string& name, Delivery delivery,
                                                                  Observer observer) {
  std::lock_guard lock(mutex_);
  const std::uint64_t id = nextId_++;
  observersByName_[name].push_back(std::make_shared<Registration>(id, delivery, std::move(observer)));
  return ObserverToken(id);
}

void NotificationCenter::removeObserver(const ObserverToken& token) {
  std::lock_guard lock(mutex_);
  for (auto entry = observersByName_.begin(); entry != observersByName_.end(); ++entry) {
    auto& registrations = entry->second;
    const auto found = std::find_if(registrations.begin(), registrations.end(),
                                    [&](const auto& registration) { return registration->id == token.id_; });
    if (found == registrations.end()) continue;
    // Posts in progress hold their own copy of the list; the flag keeps them from calling it.
    (*found)->removed = true;
    registrations.erase(found);
    if (registrations.empty()) observersByName_.erase(entry);
    return;
  }
}

void NotificationCenter::post(std::string name, std::optional<std::string> object,
                              std::map<std::string, std::string> userInfo) {
  post(Notification{std::move(name), std::move(object), std::move(userInfo)});
}

void NotificationCenter::post(Notification notification) {
  std::vector<std::shared_ptr<Registration>> registrations;
  {
    std::lock_guard lock(mutex_);
    const auto found = observersByName_.find(notification.name);
    if (found == observersByName_.end()) return;
    registrations = found->second;
  }
  const auto shared = std::make_shared<const Notification>(std::move(notification));
  for (const auto& registration : registrations) deliver(registration, shared);
}

void NotificationCenter::deliver(const std::shared_ptr<Registration>& registration,
                                 const std::shared_ptr<const Notification>& notification) const {
  const bool inPlace = registration->delivery == Delivery::postingThread || mainQueue_->isMainThread();
  if (inPlace) {
    if (!registration->removed) registration->observer(*notification);
    return;
  }
  mainQueue_->async([registration, notification] {
    if (!registration->removed) registration->observer(*notification);
  });
}

std::shared_ptr<NotificationCenter> NotificationCenter::defaultCenter() {
  return Environment::current()->notificationCenter;
}

}  // namespace platform

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Dispatch/Notification.h"

namespace platform {

class MainQueue;

// Delivers named notifications to the observers registered for that name, in the order they
// registered. Safe from any thread; no lock is held while an observer runs, so an observer
// may post, add observers, or remove itself or others.
//
// An observer chooses at registration where it runs:
// - Delivery::postingThread: during post(), on the posting thread;
// - Delivery::mainQueue: on the main queue; a post made on the main thread calls it at once,
//   a post from any other thread queues it and returns without waiting.
// Once removeObserver() has returned, no delivery that has not yet begun calls the observer,
// including deliveries already queued on the main queue and the rest of a post in progress;
// a delivery already under way on another thread may still complete.
//
// An exception thrown by an observer called during post() reaches the poster, and the
// observers after it miss that post; one thrown on the main queue is logged there.
class NotificationCenter {
 public:
  enum class Delivery { mainQueue, postingThread };
  using Observer = std::function<void(const Notification&)>;

  // Identifies one registration; a default-made token identifies none. Dropping a token
  // does not remove the observer.
  class ObserverToken {
   public:
    ObserverToken() = default;
    bool operator==(const ObserverToken&) const = default;

   private:
    friend class NotificationCenter;
    explicit ObserverToken(std::uint64_t id) : id_(id) {}
    std::uint64_t id_ = 0;
  };

  // `mainQueue` receives the deliveries of main-queue observers.
  explicit NotificationCenter(std::shared_ptr<MainQueue> mainQueue);
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  ObserverToken addObserver(const std::string& name, Delivery delivery, Observer observer);

  // Removing an unknown or already removed token does nothing.
  void removeObserver(const ObserverToken& token);

  void post(Notification notification);
  void post(std::string name, std::optional<std::string> object = std::nullopt,
            std::map<std::string, std::string> userInfo = {});

  // The notification centre of the installed environment (see Environment).
  static std::shared_ptr<NotificationCenter> defaultCenter();

 private:
  struct Registration;

  void deliver(const std::shared_ptr<Registration>& registration,
               const std::shared_ptr<const Notification>& notification) const;

  const std::shared_ptr<MainQueue> mainQueue_;
  std::mutex mutex_;
  std::map<std::string, std::vector<std::shared_ptr<Registration>>> observersByName_;
  std::uint64_t nextId_ = 1;
};

}  // namespace platform

#include "UI/View.h"

#include <algorithm>
#include <stdexcept>

#include "Platform/Core/Environment.h"
#include "UI/Host.h"

namespace ui {

void Invalidator::subscribe(const std::shared_ptr<Host>& host) {
  std::lock_guard lock(mutex_);
  std::erase_if(hosts_, [](const std::weak_ptr<Host>& weak) { return weak.expired(); });
  for (const auto& weak : hosts_)
    if (weak.lock() == host) return;
  hosts_.push_back(host);
}

void Invalidator::invalidate() {
  std::vector<std::shared_ptr<Host>> hosts;
  {
    std::lock_guard lock(mutex_);
    for (const auto& weak : hosts_)
      if (auto host = weak.lock()) hosts.push_back(std::move(host));
  }
  for (const auto& host : hosts) host->setNeedsRender();
}

View::View() : invalidator_(std::make_shared<Invalidator>()) {}
View::~View() = default;

std::shared_ptr<platform::UserDefaults> currentUserDefaults() {
  auto store = platform::Environment::current()->userDefaults;
  if (!store) throw std::logic_error("ui::AppStorage needs a user-defaults store in the environment");
  return store;
}

}  // namespace ui

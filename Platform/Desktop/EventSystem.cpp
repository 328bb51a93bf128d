#include "Platform/Desktop/EventSystem.h"

#include <utility>

#include "Platform/Desktop/Accessibility.h"
#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Desktop/Pasteboard.h"

namespace platform {

EventSystem::EventSystem(std::shared_ptr<Accessibility> accessibility, std::shared_ptr<Pasteboard> pasteboard)
    : accessibility_(std::move(accessibility)), pasteboard_(std::move(pasteboard)) {}

std::optional<EventSystem::MonitorToken> EventSystem::addGlobalMonitor(EventMask mask, Handler handler) {
  std::lock_guard lock(mutex_);
  if (refuseMonitors_) return std::nullopt;
  const auto id = nextMonitorId_++;
  monitors_.emplace(id, std::make_pair(mask, std::move(handler)));
  return MonitorToken{id};
}

void EventSystem::removeMonitor(const MonitorToken& token) {
  std::lock_guard lock(mutex_);
  if (monitors_.erase(token.id) == 0) ++invalidRemovals_;
}

std::size_t EventSystem::monitorCount() const {
  std::lock_guard lock(mutex_);
  return monitors_.size();
}

std::size_t EventSystem::invalidRemovals() const {
  std::lock_guard lock(mutex_);
  return invalidRemovals_;
}

std::optional<EventSystem::EventSource> EventSystem::makeEventSource() const {
  std::lock_guard lock(mutex_);
  if (failSource_) return std::nullopt;
  return EventSource{};
}

std::optional<Event> EventSystem::makeKeyboardEvent(const EventSource&, std::uint16_t keyCode,
                                                    bool keyDown) const {
  std::lock_guard lock(mutex_);
  if (failEvent_) return std::nullopt;
  return Event{keyDown ? EventType::keyDown : EventType::keyUp, keyCode, 0, 0, false, {}};
}

void EventSystem::post(const Event& event) {
  {
    std::lock_guard lock(mutex_);
    if (dropPosted_) return;
    posted_.push_back(event);
  }
  receiveInFrontApplication(event);
}

std::vector<Event> EventSystem::postedEvents() const {
  std::lock_guard lock(mutex_);
  return posted_;
}

void EventSystem::deliverUserEvent(const Event& event) {
  std::vector<Handler> handlers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, monitor] : monitors_) {
      if ((monitor.first & eventMask(event.type)) != 0) handlers.push_back(monitor.second);
    }
  }
  for (const auto& handler : handlers) handler(event);
  receiveInFrontApplication(event);
}

void EventSystem::receiveInFrontApplication(const Event& event) {
  if (event.type != EventType::keyDown) return;
  const auto focused = accessibility_->focusedElementOfFrontApplication();
  if (!focused) return;
  if ((event.modifierFlags & commandKeyFlag) != 0) {
    const bool ignore = [&] {
      std::lock_guard lock(mutex_);
      return ignoreCopy_;
    }();
    if (event.keyCode != keycode::c || ignore) return;
    const auto selected = focused->selectedText();
    if (selected.empty()) return;
    pasteboard_->clearContents();
    pasteboard_->writeObjects({{{Pasteboard::plainTextType, selected}}});
    return;
  }
  if (!event.characters.empty()) focused->insert(event.characters);
}

void EventSystem::refuseMonitors(bool refuse) {
  std::lock_guard lock(mutex_);
  refuseMonitors_ = refuse;
}

void EventSystem::failEventSourceCreation(bool fail) {
  std::lock_guard lock(mutex_);
  failSource_ = fail;
}

void EventSystem::failEventCreation(bool fail) {
  std::lock_guard lock(mutex_);
  failEvent_ = fail;
}

void EventSystem::dropPostedEvents(bool drop) {
  std::lock_guard lock(mutex_);
  dropPosted_ = drop;
}

void EventSystem::ignoreCopyCommand(bool ignore) {
  std::lock_guard lock(mutex_);
  ignoreCopy_ = ignore;
}

}  // namespace platform

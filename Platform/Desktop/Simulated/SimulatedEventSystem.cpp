#include "Platform/Desktop/Simulated/SimulatedEventSystem.h"

#include <utility>

#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"
#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Desktop/Pasteboard.h"

namespace platform {

SimulatedEventSystem::SimulatedEventSystem(std::shared_ptr<SimulatedAccessibility> accessibility,
                                           std::shared_ptr<Pasteboard> pasteboard)
    : accessibility_(std::move(accessibility)), pasteboard_(std::move(pasteboard)) {}

std::optional<SimulatedEventSystem::MonitorToken> SimulatedEventSystem::addGlobalMonitor(EventMask mask,
                                                                                         Handler handler) {
  std::lock_guard lock(mutex_);
  if (refuseMonitors_) return std::nullopt;
  const auto id = nextMonitorId_++;
  monitors_.emplace(id, std::make_pair(mask, std::move(handler)));
  return MonitorToken{id};
}

void SimulatedEventSystem::removeMonitor(const MonitorToken& token) {
  std::lock_guard lock(mutex_);
  if (monitors_.erase(token.id) == 0) ++invalidRemovals_;
}

std::size_t SimulatedEventSystem::monitorCount() const {
  std::lock_guard lock(mutex_);
  return monitors_.size();
}

std::size_t SimulatedEventSystem::invalidRemovals() const {
  std::lock_guard lock(mutex_);
  return invalidRemovals_;
}

std::optional<SimulatedEventSystem::EventSource> SimulatedEventSystem::makeEventSource() const {
  std::lock_guard lock(mutex_);
  if (failSource_) return std::nullopt;
  return EventSource{};
}

std::optional<Event> SimulatedEventSystem::makeKeyboardEvent(const EventSource&, std::uint16_t keyCode,
                                                             bool keyDown) const {
  std::lock_guard lock(mutex_);
  if (failEvent_) return std::nullopt;
  return Event{keyDown ? EventType::keyDown : EventType::keyUp, keyCode, 0, 0, false, {}};
}

void SimulatedEventSystem::post(const Event& event) {
  {
    std::lock_guard lock(mutex_);
    if (dropPosted_) return;
    posted_.push_back(event);
  }
  receiveInFrontApplication(event);
}

std::vector<Event> SimulatedEventSystem::postedEvents() const {
  std::lock_guard lock(mutex_);
  return posted_;
}

void SimulatedEventSystem::deliverUserEvent(const Event& event) {
  std::vector<Handler> handlers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, monitor] : monitors_) {
      if ((monitor.first & eventMask(event.type)) != 0) handlers.push_back(monitor.second);
    }
  }
  for (const auto& handler : handlers) handler(event);
  const bool reserved = [&] {
    std::lock_guard lock(mutex_);
    // The combination's modifiers, whatever other bits (caps lock) are on.
    return reserved_ && reserved_->keyCode == event.keyCode &&
           reserved_->modifierFlags == (event.modifierFlags & combinationModifierFlags);
  }();
  if (!reserved) receiveInFrontApplication(event);
}

void SimulatedEventSystem::reserveKeyCombination(std::optional<KeyCombination> combination) {
  std::lock_guard lock(mutex_);
  reserved_ = combination;
}

std::optional<KeyCombination> SimulatedEventSystem::reservedKeyCombination() const {
  std::lock_guard lock(mutex_);
  return reserved_;
}

void SimulatedEventSystem::receiveInFrontApplication(const Event& event) {
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

void SimulatedEventSystem::refuseMonitors(bool refuse) {
  std::lock_guard lock(mutex_);
  refuseMonitors_ = refuse;
}

void SimulatedEventSystem::failEventSourceCreation(bool fail) {
  std::lock_guard lock(mutex_);
  failSource_ = fail;
}

void SimulatedEventSystem::failEventCreation(bool fail) {
  std::lock_guard lock(mutex_);
  failEvent_ = fail;
}

void SimulatedEventSystem::dropPostedEvents(bool drop) {
  std::lock_guard lock(mutex_);
  dropPosted_ = drop;
}

void SimulatedEventSystem::ignoreCopyCommand(bool ignore) {
  std::lock_guard lock(mutex_);
  ignoreCopy_ = ignore;
}

}  // namespace platform

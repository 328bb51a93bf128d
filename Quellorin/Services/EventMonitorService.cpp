#include "Quellorin/Services/EventMonitorService.h"

#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "Platform/Dispatch/Clock.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Dispatch/WorkItem.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/TranslationRun.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Common/ShortcutDisplayString.h"

namespace quellorin {

namespace {

constexpr const char* defaultGlobalShortcut = "⌘ + ⇧ + ␣";
constexpr const char* triggerDisabled = "disabled";
constexpr std::uint64_t deviceIndependentModifiers = 0xFFFF0000;
constexpr double kMaximumSpaceGap = 1.0;
constexpr double kTriggerDelay = 0.2;
constexpr double kWindowLiftAboveCentre = 100;

// Seconds since 1970 in plain decimal notation, never with an exponent, always with a fraction:
// the shortest digits that read back to the same double ("1.5", "1700000000.0").
std::string secondsText(double seconds) {
  char buffer[400];  // the longest fixed form of a double is about 330 characters
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed);
  std::string text(buffer, written.ptr);
  if (std::isfinite(seconds) && text.find('.') == std::string::npos) text += ".0";
  return text;
}

std::string describePoint(platform::Point point) {
  return "(" + secondsText(point.x) + ", " + secondsText(point.y) + ")";
}

}  // namespace

EventMonitorService::EventMonitorService(std::shared_ptr<TextHandlingService> textHandling,
                                         std::shared_ptr<WindowService> windows,
                                         std::shared_ptr<AIService> aiService)
    : textHandling_(std::move(textHandling)),
      windows_(std::move(windows)),
      aiService_(std::move(aiService)) {}

std::shared_ptr<EventMonitorService> EventMonitorService::shared() {
  static const auto instance = std::make_shared<EventMonitorService>(
      TextHandlingService::shared(), WindowService::shared(), AIService::shared());
  return instance;
}

bool EventMonitorService::installGlobalMonitor() {
  std::lock_guard lock(mutex_);
  if (globalMonitor_) return true;
  std::weak_ptr<EventMonitorService> weak = shared_from_this();
  const auto environment = platform::Environment::current();
  globalMonitor_ =
      environment->eventSystem->addGlobalMonitor(monitoredEvents, [weak](const platform::Event& event) {
        if (const auto self = weak.lock()) self->handleMonitoredEvent(event);
      });
  if (!globalMonitor_) return false;
  const auto queue = platform::MainQueue::main();
  shortcutObserver_ = environment->userDefaults->addObserver(
      "GlobalShortcut", [weak, queue](const std::string&, const std::optional<platform::DefaultsValue>&) {
        queue->async([weak] {
          if (const auto self = weak.lock()) self->reserveShortcut();
        });
      });
  // The shortcut's keys are ours: typed into the application in front they would replace the
  // very selection they ask to capture.
  environment->eventSystem->reserveKeyCombination(parseShortcutDisplayString(
      environment->userDefaults->string("GlobalShortcut").value_or(defaultGlobalShortcut)));
  return true;
}

void EventMonitorService::reserveShortcut() {
  const auto environment = platform::Environment::current();
  std::lock_guard lock(mutex_);
  // Read now rather than taken from the change: of several quick changes the last one wins.
  if (!globalMonitor_) return;
  environment->eventSystem->reserveKeyCombination(parseShortcutDisplayString(
      environment->userDefaults->string("GlobalShortcut").value_or(defaultGlobalShortcut)));
}

void EventMonitorService::removeGlobalMonitor() {
  platform::log("移除全局事件监视器。");
  std::optional<platform::EventSystem::MonitorToken> token;
  std::optional<platform::UserDefaults::ObserverToken> observer;
  {
    std::lock_guard lock(mutex_);
    token = std::exchange(globalMonitor_, std::nullopt);
    observer = std::exchange(shortcutObserver_, std::nullopt);
  }
  if (observer) platform::Environment::current()->userDefaults->removeObserver(*observer);
  if (!token) return;
  const auto& events = platform::Environment::current()->eventSystem;
  events->removeMonitor(*token);
  events->reserveKeyCombination(std::nullopt);
}

bool EventMonitorService::hasGlobalMonitor() const {
  std::lock_guard lock(mutex_);
  return globalMonitor_.has_value();
}

void EventMonitorService::handleMonitoredEvent(const platform::Event& event) {
  switch (event.type) {
    case platform::EventType::keyDown: {
      std::weak_ptr<EventMonitorService> weak = shared_from_this();
      platform::MainQueue::main()->async([weak, event] {
        if (const auto self = weak.lock()) self->handleKeyDown(event, event.timestamp);
      });
      break;
    }
    case platform::EventType::leftMouseDown:
    case platform::EventType::rightMouseDown:
      resetSpaceCount();
      break;
    default:
      break;
  }
}

void EventMonitorService::handleKeyDown(const platform::Event& event, double timestamp) {
  if (event.isARepeat) return;
  const auto& defaults = *platform::Environment::current()->userDefaults;
  const auto shortcut =
      shortcutDisplayString(event.keyCode, event.modifierFlags & deviceIndependentModifiers);
  if (shortcut == defaults.string("GlobalShortcut").value_or(defaultGlobalShortcut)) {
    handleGlobalShortcut();
    return;
  }
  if (event.keyCode != platform::keycode::space) {
    resetSpaceCount();
    return;
  }
  const auto status = defaults.string("SpecialKeyFeatureStatus").value_or(triggerDisabled);
  if (status == triggerDisabled) {
    platform::log("未开启特殊键连按功能");
    return;
  }
  handleSpacePress(status, timestamp);
}

void EventMonitorService::handleSpacePress(const std::string& status, double timestamp) {
  std::shared_ptr<platform::WorkItem> armed;
  {
    std::lock_guard lock(mutex_);
    const double gap = timestamp - lastKeyPressTime_;
    spacePressCount_ = gap <= kMaximumSpaceGap ? spacePressCount_ + 1 : 1;
    platform::log("spacePressCount: " + std::to_string(spacePressCount_));
    lastKeyPressTime_ = timestamp;
    if (spacePressCount_ == 4) {
      if (debounceTimer_) debounceTimer_->cancel();
      spacePressCount_ = 0;
    } else if (spacePressCount_ == 3) {
      if (debounceTimer_) debounceTimer_->cancel();
      std::weak_ptr<EventMonitorService> weak = shared_from_this();
      debounceTimer_ = std::make_shared<platform::WorkItem>([weak, status] {
        if (const auto self = weak.lock()) self->fireSpaceTrigger(status);
      });
      armed = debounceTimer_;
    }
  }
  if (armed) platform::MainQueue::main()->asyncAfter(kTriggerDelay, armed);
}

void EventMonitorService::fireSpaceTrigger(const std::string& status) {
  std::weak_ptr<EventMonitorService> weak = shared_from_this();
  platform::TaskPool::shared()->async([weak, status] {
    if (const auto self = weak.lock()) self->handleSpaceTrigger(status);
  });
  std::lock_guard lock(mutex_);
  spacePressCount_ = 0;
}

std::int64_t EventMonitorService::spacePressCount() const {
  std::lock_guard lock(mutex_);
  return spacePressCount_;
}

void EventMonitorService::resetSpaceCount() {
  std::lock_guard lock(mutex_);
  spacePressCount_ = 0;
  if (debounceTimer_) debounceTimer_->cancel();
}

// --- The global-shortcut road --------------------------------------------------------------------

void EventMonitorService::handleGlobalShortcut() {
  std::weak_ptr<EventMonitorService> weak = shared_from_this();
  platform::MainQueue::main()->async([weak] {
    if (const auto self = weak.lock()) self->showWindowForSelection();
  });
}

void EventMonitorService::showWindowForSelection() {
  std::weak_ptr<EventMonitorService> weak = shared_from_this();
  // Held weakly: the capture's pending steps wait on the main queue itself.
  std::weak_ptr<platform::MainQueue> mainQueue = platform::MainQueue::main();
  textHandling_->getSelectedText([weak, mainQueue](SelectedText selected) {
    const auto queue = mainQueue.lock();
    if (!queue) return;
    queue->async([weak, selected = std::move(selected)] {
      const auto self = weak.lock();
      if (!self) return;
      const auto origin =
          selected.rect ? platform::Point{selected.rect->x, selected.rect->y} : platform::Point{};
      platform::log("选中的文本: " + selected.text.value_or("无") + "，位置: " + describePoint(origin));
      const bool usable = selected.rect && selected.rect->width != 0 && selected.rect->height != 0 &&
                          origin != platform::Point{};
      const auto place = usable ? origin : self->defaultWindowOrigin();
      self->windows_->showWindow(selected.text, true, place.x, place.y);
    });
  });
}

platform::Point EventMonitorService::defaultWindowOrigin() const {
  const auto screen = screenContaining(platform::Environment::current()->screens->mouseLocation());
  if (!screen) {
    platform::log("未找到包含焦点窗口的屏幕");
    return {};
  }
  const auto size = windows_->viewSize();
  return {screen->x + screen->width / 2 - size.width * 0.5,
          screen->midY() + size.height * 0.5 + kWindowLiftAboveCentre};
}

std::optional<platform::Rect> EventMonitorService::screenContaining(platform::Point point) {
  for (const auto& screen : platform::Environment::current()->screens->screens()) {
    if (platform::rectContainsPoint(screen, point)) return screen;
  }
  return std::nullopt;
}

// --- The space-bar road --------------------------------------------------------------------------

void EventMonitorService::handleSpaceTrigger(const std::string& status) {
  std::weak_ptr<EventMonitorService> weak = shared_from_this();
  textHandling_->selectCurrentLine([weak, status](std::optional<CaretLine> line) {
    const auto self = weak.lock();
    if (!self || !line || platform::unicode::trimmingWhitespaceAndNewlines(line->text).empty()) return;
    platform::log("触发 special replacement");
    self->textHandling_->selectCurrentLine([weak, status](std::optional<CaretLine> again) {
      const auto selfAgain = weak.lock();
      if (selfAgain && again) selfAgain->fastTranslate(status, *again);
    });
  });
}

void EventMonitorService::fastTranslate(const std::string& status, const CaretLine& line) {
  const std::vector<AIService::Message> messages{
      {{"role", "user"},
       {"content", "<content>" + line.text + "</content><prompt>translate to " + status + "</prompt>"}}};
  const auto sessionId = "spaceTrigger__" + secondsText(platform::Clock::current()->wallTime());
  auto run = std::make_shared<TranslationRun>(textHandling_, line);
  aiService_->processText("fast", true, sessionId, messages,
                          [run](const StreamEvent& event) { run->handle(event); });
  run->streamEnded();
}

}  // namespace quellorin

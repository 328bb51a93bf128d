#include "Platform/Desktop/Simulated/SimulatedAccessibility.h"

#include <utility>

#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"
#include "Platform/Desktop/Workspace.h"

namespace platform {

namespace {

bool manualAccessibilityIsOn(const AccessibilityElement& application) {
  const auto result = application.copyAttributeValue("AXManualAccessibility");
  const auto* on = result.value ? std::get_if<bool>(&*result.value) : nullptr;
  return on != nullptr && *on;
}

}  // namespace

std::shared_ptr<SimulatedAccessibility> SimulatedAccessibility::make(
    std::shared_ptr<const Workspace> workspace) {
  auto made = std::make_shared<SimulatedAccessibility>(Passkey(), std::move(workspace));
  made->systemWide_->setProvider("AXFocusedUIElement", [weak = made->weak_from_this()] {
    const auto self = weak.lock();
    return self ? self->readFocusedElement() : AXResult{AXError::cannotComplete, std::nullopt};
  });
  return made;
}

SimulatedAccessibility::SimulatedAccessibility(Passkey, std::shared_ptr<const Workspace> workspace)
    : workspace_(std::move(workspace)),
      systemWide_(std::make_shared<SimulatedAccessibilityElement>(0, "AXSystemWide")) {}

std::shared_ptr<AccessibilityElement> SimulatedAccessibility::systemWideElement() const {
  return systemWide_;
}

std::shared_ptr<AccessibilityElement> SimulatedAccessibility::applicationElement(int processIdentifier) {
  return simulatedApplicationElement(processIdentifier);
}

std::shared_ptr<SimulatedAccessibilityElement> SimulatedAccessibility::simulatedApplicationElement(
    int processIdentifier) {
  std::lock_guard lock(mutex_);
  auto& element = applications_[processIdentifier];
  if (!element) {
    element = std::make_shared<SimulatedAccessibilityElement>(processIdentifier, "AXApplication");
    element->makeSettable("AXManualAccessibility");
    if (const auto application = workspace_->runningApplication(processIdentifier)) {
      element->setAttribute("AXTitle", application->localizedName);
    }
  }
  return element;
}

bool SimulatedAccessibility::isProcessTrusted() const {
  std::lock_guard lock(mutex_);
  return trusted_;
}

void SimulatedAccessibility::setProcessTrusted(bool trusted) {
  std::lock_guard lock(mutex_);
  trusted_ = trusted;
}

void SimulatedAccessibility::setFocusedElement(int processIdentifier,
                                               std::shared_ptr<SimulatedAccessibilityElement> element) {
  std::lock_guard lock(mutex_);
  focused_[processIdentifier] = std::move(element);
}

std::shared_ptr<SimulatedAccessibilityElement> SimulatedAccessibility::focusedElementOfFrontApplication()
    const {
  const auto front = workspace_->frontmostApplication();
  if (!front) return nullptr;
  std::lock_guard lock(mutex_);
  const auto found = focused_.find(front->processIdentifier);
  return found == focused_.end() ? nullptr : found->second;
}

void SimulatedAccessibility::requireManualAccessibility(int processIdentifier) {
  std::lock_guard lock(mutex_);
  needManualAccessibility_.insert(processIdentifier);
}

AXResult SimulatedAccessibility::readFocusedElement() {
  if (!isProcessTrusted()) return {AXError::apiDisabled, std::nullopt};
  const auto front = workspace_->frontmostApplication();
  if (!front) return {AXError::noValue, std::nullopt};
  const bool gated = [&] {
    std::lock_guard lock(mutex_);
    return needManualAccessibility_.contains(front->processIdentifier);
  }();
  if (gated && !manualAccessibilityIsOn(*applicationElement(front->processIdentifier))) {
    return {AXError::cannotComplete, std::nullopt};
  }
  auto element = focusedElementOfFrontApplication();
  if (!element) return {AXError::noValue, std::nullopt};
  return {AXError::success, AXValue(std::shared_ptr<AccessibilityElement>(std::move(element)))};
}

}  // namespace platform

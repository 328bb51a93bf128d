#include "Quellorin/Services/WindowService.h"

#include <algorithm>
#include <utility>

#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Desktop/Workspace.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {

namespace {

constexpr double kGapBelowSelection = 4;
constexpr double kFloorAboveScreenBottom = 100;
constexpr int kBufferedBacking = 2;

}  // namespace

WindowService::WindowService(std::shared_ptr<TextHandlingService> textHandling)
    : textHandling_(std::move(textHandling)) {}

std::shared_ptr<WindowService> WindowService::shared() {
  static const auto instance = std::make_shared<WindowService>(TextHandlingService::shared());
  return instance;
}

void WindowService::setRootViewFactory(RootViewFactory factory) { rootViewFactory_ = std::move(factory); }

void WindowService::showWindow(const std::optional<std::string>& text, bool autoWork, double x, double y) {
  windowOrigin_ = {x, y - viewSize_.height - kGapBelowSelection};
  closeSettingsWindows();
  if (mainWindow_) {
    mainWindow_->setFrame({windowOrigin_.x, windowOrigin_.y, viewSize_.width, viewSize_.height}, true);
  } else {
    createMainWindow();
  }
  mainWindow_->setContentView(rootViewFactory_ ? rootViewFactory_(text.value_or(""), autoWork, viewSize_)
                                               : nullptr);
  mainWindow_->makeKeyAndOrderFront();
  const auto environment = platform::Environment::current();
  environment->workspace->activate(environment->workspace->currentApplication().processIdentifier, 0);
  environment->windowServer->setApplicationActive(true);
}

void WindowService::closeSettingsWindows() const {
  for (const auto& window : platform::Environment::current()->windowServer->windows()) {
    if (window->identifier() == settingsWindowIdentifier) window->close();
  }
}

void WindowService::createMainWindow() {
  mainWindow_ = std::make_shared<CustomWindow>(
      platform::Rect{windowOrigin_.x, windowOrigin_.y, viewSize_.width, viewSize_.height},
      platform::windowstyle::fullSizeContentView, kBufferedBacking, false);
  mainWindow_->setBackgroundColor({0, 0, 0, 0});
  mainWindow_->setMovableByWindowBackground(true);
  mainWindow_->setHasShadow(true);
  mainWindow_->setLevel(platform::windowlevel::modalPanel);
}

void WindowService::resizeWindow(double width, double height) {
  if (!mainWindow_) return;
  const auto frame = mainWindow_->frame();
  const double keptTop = frame.y - (height - frame.height);
  const auto& screens = *platform::Environment::current()->screens;
  auto screen = screenContainingWindow(screens.screens(), *mainWindow_);
  if (!screen) screen = screens.mainScreen();
  const double floor = (screen ? screen->minY() : 0) + kFloorAboveScreenBottom;
  const double y = frame.y <= floor ? floor : std::max(keptTop, floor);
  mainWindow_->setFrame({frame.x, y, width, height}, true);
}

void WindowService::restoreFocusToOriginalApp() {
  const auto element = textHandling_->originalFocusedElement();
  if (!element) return;
  const auto result = element->copyAttributeValue("AXWindow");
  const auto* window =
      result.value ? std::get_if<std::shared_ptr<platform::AccessibilityElement>>(&*result.value) : nullptr;
  if (result.status != platform::AXError::success || window == nullptr || !*window) {
    const auto status =
        result.status == platform::AXError::success ? platform::AXError::noValue : result.status;
    platform::log("无法获取原本的窗口: " + std::string(platform::axErrorName(status)));
    return;
  }
  auto& workspace = *platform::Environment::current()->workspace;
  const auto application = workspace.runningApplication((*window)->processIdentifier());
  if (!application) {
    platform::log("无法找到原本的应用");
    return;
  }
  workspace.activate(application->processIdentifier, platform::Workspace::activateAllWindows);
}

std::optional<platform::Rect> WindowService::screenContainingWindow(
    const std::vector<platform::Rect>& screens, const platform::Window& window) {
  const auto frame = window.frame();
  const auto found = std::find_if(screens.begin(), screens.end(), [&](const platform::Rect& screen) {
    return platform::rectContainsRect(screen, frame);
  });
  if (found == screens.end()) return std::nullopt;
  return *found;
}

}  // namespace quellorin

#include "Quellorin/Settings/SettingsWindow.h"

#include <utility>
#include <vector>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Desktop/Window.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/SettingsOpener.h"
#include "UI/Host.h"
#include "UI/HostContent.h"

namespace quellorin {

namespace {

constexpr std::uint64_t kStyle =
    platform::windowstyle::titled | platform::windowstyle::closable | platform::windowstyle::miniaturizable;

void collectDisappearing(const ui::Node& node, std::vector<std::function<void()>>& handlers) {
  if (node.handlers.disappear) handlers.push_back(node.handlers.disappear);
  for (const auto& child : node.children) collectDisappearing(child, handlers);
}

template <class Function>
std::function<void()> weakly(const std::shared_ptr<SettingsWindow>& self, Function function) {
  return [weak = std::weak_ptr<SettingsWindow>(self), function] {
    if (const auto strong = weak.lock()) function(*strong);
  };
}

// The window the roads lead to now; only it may take them back.
const SettingsWindow* installedWindow = nullptr;

}  // namespace

std::shared_ptr<SettingsWindow> SettingsWindow::make(SceneFactory makeScene) {
  return std::shared_ptr<SettingsWindow>(new SettingsWindow(std::move(makeScene)));
}

SettingsWindow::~SettingsWindow() { uninstall(); }

bool SettingsWindow::isOpen() const { return window_ && !window_->isClosed(); }

bool SettingsWindow::open() {
  if (!isOpen()) {
    if (!scene_ && makeScene_) scene_ = makeScene_();
    if (!scene_ || !scene_->content) {
      platform::log("[error] the settings scene has no content; no settings window opens");
      return false;
    }
    host_ = ui::Host::make(scene_->content, {width, ui::ColorScheme::light}, scene_->environment);
    const auto application = Application::current();
    if (application) application->registerHost(host_);
    platform::Rect frame{0, 0, width, height};
    if (const auto screens = platform::Environment::current()->screens->screens(); !screens.empty()) {
      const auto& screen = screens.front();
      frame.x = screen.x + (screen.width - frame.width) / 2;
      frame.y = screen.y + (screen.height - frame.height) / 2;
    }
    window_ = std::make_shared<platform::Window>(frame, kStyle, 2, false);
    window_->setIdentifier(identifier);
    window_->setTitle(platform::localizedString("settings"));
    window_->setContentView(std::make_shared<ui::HostContent>(host_));
    window_->setCloseHandler(weakly(shared_from_this(), [](SettingsWindow& self) { self.closed(); }));
  }
  window_->makeKeyAndOrderFront();
  if (const auto application = Application::current()) application->activate(true);
  return true;
}

void SettingsWindow::close() {
  if (isOpen()) window_->close();
}

void SettingsWindow::closed() {
  // The content leaves the screen: its disappear handlers run, in tree order, and the host goes.
  std::vector<std::function<void()>> handlers;
  if (host_) collectDisappearing(host_->tree(), handlers);
  host_.reset();
  for (const auto& handler : handlers) handler();
}

void SettingsWindow::install() {
  installedWindow = this;
  auto self = shared_from_this();
  SettingsOpener::install(weakly(self, [](SettingsWindow& window) { window.open(); }));
  settings_access::setSettingsLinkHandler(weakly(self, [](SettingsWindow& window) { window.open(); }));
  settings_access::setApplicationDelegate(std::weak_ptr<settings_access::SettingsActionTarget>(self));
}

void SettingsWindow::uninstall() {
  if (installedWindow != this) return;
  installedWindow = nullptr;
  SettingsOpener::install(nullptr);
  settings_access::setSettingsLinkHandler(nullptr);
  settings_access::setApplicationDelegate({});
}

bool SettingsWindow::respondsToSelector(const std::string& selector) const {
  return selector == "showSettingsWindow:" || selector == "showPreferencesWindow:";
}

void SettingsWindow::sendAction(const std::string& selector) {
  if (respondsToSelector(selector)) open();
}

}  // namespace quellorin

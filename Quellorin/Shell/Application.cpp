#include "Quellorin/Shell/Application.h"

#include "Platform/Core/Environment.h"
#include "Platform/Desktop/DesktopAppearance.h"
#include "Platform/Desktop/WindowServer.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "UI/Host.h"

namespace quellorin {

namespace {

std::mutex currentMutex;
std::weak_ptr<Application> currentApplication;

}  // namespace

std::shared_ptr<Application> Application::make() {
  std::shared_ptr<Application> application(new Application());
  if (const auto& desktop = platform::Environment::current()->appearance) {
    application->systemScheme_ = desktop->systemScheme() == platform::DesktopAppearance::Scheme::dark
                                     ? ui::ColorScheme::dark
                                     : ui::ColorScheme::light;
  }
  std::lock_guard lock(currentMutex);
  currentApplication = application;
  return application;
}

std::shared_ptr<Application> Application::current() {
  std::lock_guard lock(currentMutex);
  return currentApplication.lock();
}

Application::~Application() = default;

void Application::setAppearance(std::optional<ui::ColorScheme> appearance) {
  appearance_ = appearance;
  // The toolkit's own windows (the status menu, alerts) follow the pages.
  if (const auto& desktop = platform::Environment::current()->appearance) {
    using Scheme = platform::DesktopAppearance::Scheme;
    desktop->setApplicationScheme(
        appearance ? std::optional<Scheme>(appearance == ui::ColorScheme::dark ? Scheme::dark : Scheme::light)
                   : std::nullopt);
  }
  applyScheme();
}

void Application::setSystemColorScheme(ui::ColorScheme scheme) {
  systemScheme_ = scheme;
  applyScheme();
}

void Application::registerHost(const std::shared_ptr<ui::Host>& host) {
  host->setColorScheme(effectiveColorScheme());
  hosts_.push_back(host);
}

void Application::applyScheme() {
  std::erase_if(hosts_, [](const std::weak_ptr<ui::Host>& host) { return host.expired(); });
  for (const auto& weak : hosts_) {
    if (const auto host = weak.lock()) {
      host->setColorScheme(effectiveColorScheme());
      host->setNeedsRender();
    }
  }
}

void Application::activate(bool /*ignoringOtherApps*/) {
  platform::Environment::current()->windowServer->setApplicationActive(true);
}

void Application::onWillTerminate(std::function<void()> handler) {
  willTerminate_.push_back(std::move(handler));
}

void Application::terminate() {
  if (terminated_) return;
  terminated_ = true;
  const auto handlers = std::move(willTerminate_);
  for (const auto& handler : handlers) handler();
  platform::Environment::current()->notificationCenter->post(willTerminateNotification);
  if (terminationHandler_) terminationHandler_();
}

}  // namespace quellorin

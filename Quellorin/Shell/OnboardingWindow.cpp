#include "Quellorin/Shell/OnboardingWindow.h"

#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/MediaPlayer.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Desktop/Window.h"
#include "Quellorin/Shell/Application.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "UI/Host.h"
#include "UI/HostContent.h"

namespace quellorin {

OnboardingWindow::OnboardingWindow(ui::Binding<bool> showOnboarding, PlayerFactory makePlayer,
                                   std::uint64_t styleMask)
    : showOnboarding_(std::move(showOnboarding)), makePlayer_(std::move(makePlayer)), styleMask_(styleMask) {}

bool OnboardingWindow::isOpen() const { return window_ && !window_->isClosed(); }

bool OnboardingWindow::show() {
  if (isOpen()) {
    window_->makeKeyAndOrderFront();
    return true;
  }
  auto player = makePlayer_ ? makePlayer_() : nullptr;
  if (!player) {
    platform::log("[error] no video player on this desktop; the guide window stays closed");
    return false;
  }
  view_ = OnboardingView::make(showOnboarding_, std::move(player));
  host_ = ui::Host::make(view_, {OnboardingView::width, ui::ColorScheme::light});
  if (const auto application = Application::current()) application->registerHost(host_);
  // The window takes the size of what it shows.
  platform::Rect frame{0, 0, OnboardingView::width, host_->measuredHeight()};
  if (const auto screens = platform::Environment::current()->screens->screens(); !screens.empty()) {
    const auto& screen = screens.front();
    frame.x = screen.x + (screen.width - frame.width) / 2;
    frame.y = screen.y + (screen.height - frame.height) / 2;
  }
  window_ = std::make_shared<platform::Window>(frame, styleMask_, 2, false);
  window_->setTitle(platform::localizedString("guideVideo"));
  window_->setContentView(std::make_shared<ui::HostContent>(host_));
  view_->attachWindow(window_);
  window_->makeKeyAndOrderFront();
  return true;
}

}  // namespace quellorin

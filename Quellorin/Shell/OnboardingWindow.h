#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "UI/Binding.h"

namespace platform {
class MediaPlayer;
class Window;
}  // namespace platform

namespace ui {
class Host;
}

namespace quellorin {

class OnboardingView;

// The feature-video guide in a window of its own, as start-up and the settings window open it.
// Closing the window stops its videos for good, so showing it again after a close builds a new
// view with a new player; while it is open, showing it only brings it to the front.
//
// Main queue only.
class OnboardingWindow {
 public:
  using PlayerFactory = std::function<std::shared_ptr<platform::MediaPlayer>()>;

  // `showOnboarding` is handed to every view made; `makePlayer` answers none on a desktop
  // without a video player; `styleMask` holds platform::windowstyle bits.
  OnboardingWindow(ui::Binding<bool> showOnboarding, PlayerFactory makePlayer, std::uint64_t styleMask);

  // Shows the window, centred on the first screen and sized to its content, titled with the
  // guide's name, key and in front. Answers false, with a logged line, when no player could be
  // made (nothing is shown then).
  bool show();
  bool isOpen() const;

  const std::shared_ptr<platform::Window>& window() const { return window_; }
  const std::shared_ptr<ui::Host>& host() const { return host_; }
  const std::shared_ptr<OnboardingView>& view() const { return view_; }

 private:
  ui::Binding<bool> showOnboarding_;
  PlayerFactory makePlayer_;
  std::uint64_t styleMask_;
  std::shared_ptr<platform::Window> window_;
  std::shared_ptr<ui::Host> host_;
  std::shared_ptr<OnboardingView> view_;
};

}  // namespace quellorin

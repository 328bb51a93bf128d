#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/MediaPlayer.h"
#include "UI/View.h"

namespace platform {
class Window;
}

namespace quellorin {

// One feature of the onboarding window: the video's address, its title (the same in every
// language), its place in the list (from 1) and a sentence about it.
struct FeatureVideo {
  std::string url;
  std::string title;
  int index = 0;
  std::string description;
};

// The onboarding window's content: the three feature videos playing in a loop, each titled under
// the picture with a progress bar, and a bar with the "don't show again" toggle (stored under
// "hasSeenOnboarding") and a close button.
//
// The view owns its player and the observers it adds to it; they end with close(), with the
// window's own close box (once attached to the window) and with the view.
//
// Main queue only.
class OnboardingView : public ui::View {
 public:
  static constexpr double width = 720;
  static constexpr double videoHeight = 405;  // 16:9 at the window's width
  static constexpr double progressInterval = 0.02;
  static constexpr const char* hasSeenOnboardingKey = "hasSeenOnboarding";

  static const std::vector<FeatureVideo>& videoURLs();

  // `showOnboarding` is set to false by the close button. The player starts at once.
  static std::shared_ptr<OnboardingView> make(ui::Binding<bool> showOnboarding,
                                              std::shared_ptr<platform::MediaPlayer> player);
  ~OnboardingView() override;

  ui::Node body() override;

  // The close button: clears the binding, stops the videos and closes the attached window.
  void close();
  void hoverChanged(bool inside);
  // The window the view is shown in: closing it, by any means, stops the videos.
  void attachWindow(const std::shared_ptr<platform::Window>& window);

  int currentVideoIndex() const { return currentVideoIndex_.get(); }
  double progress() const { return progress_.get(); }
  const std::shared_ptr<platform::MediaPlayer>& player() const { return player_; }

 private:
  OnboardingView(ui::Binding<bool> showOnboarding, std::shared_ptr<platform::MediaPlayer> player);
  void setUpPlayer();
  // Pauses the player and removes this view's observers; later calls do nothing more.
  void stop();
  void itemDidEnd();
  void timeDidChange(double seconds);

  ui::State<std::string> hoverVideoBgColor_;
  ui::Binding<bool> showOnboarding_;
  ui::State<int> currentVideoIndex_;
  ui::AppStorage<bool> noShowAgain_;
  ui::State<double> progress_;
  std::shared_ptr<platform::MediaPlayer> player_;
  std::vector<platform::MediaPlayer::ObserverToken> observers_;
  std::weak_ptr<platform::Window> window_;
  bool stopped_ = false;
};

}  // namespace quellorin

#include <gtest/gtest.h>

#include "Platform/Desktop/Window.h"
#include "Quellorin/Shell/OnboardingView.h"
#include "ShellFixture.h"
#include "UI/Host.h"

namespace quellorin {
namespace {

class OnboardingViewTest : public testsupport::ShellFixture {
 protected:
  OnboardingViewTest() {
    for (const auto& video : OnboardingView::videoURLs())
      player->setDuration(video.url, durations[video.index - 1]);
  }

  void open() {
    view = OnboardingView::make(shown.binding(), player);
    host = ui::Host::make(view, {OnboardingView::width, ui::ColorScheme::light});
  }
  std::string title() const { return host->find("onboarding.title")->text; }
  double bar() const { return *host->find("onboarding.progress")->progressValue; }
  std::string playing() const { return player->currentItem() ? player->currentItem()->url : ""; }

  const double durations[3] = {4, 6, 2};
  std::shared_ptr<platform::SimulatedMediaPlayer> player = platform::SimulatedMediaPlayer::make();
  struct Owner : ui::View {
    ui::Node body() override { return ui::Empty(); }
  };
  std::shared_ptr<Owner> owner = std::make_shared<Owner>();
  ui::State<bool> shown{*owner, true};
  std::shared_ptr<OnboardingView> view;
  std::shared_ptr<ui::Host> host;
};

TEST_F(OnboardingViewTest, TheThreeVideosLoopWithTheirTitles) {
  open();
  const auto& videos = OnboardingView::videoURLs();
  ASSERT_EQ(videos.size(), 3u);
  EXPECT_TRUE(videos[2].url.ends_with("/static/videos/tripple-space-freeask.mp4"));

  struct Step {
    double after;  // seconds from the previous step
    int index;
    const char* title;
    std::size_t queued;
  };
  const Step steps[] = {{0, 1, "Triple Space Translation", 3},
                        {4, 2, "Writing Pipeline", 2},
                        {6, 3, "Ask AI", 1},
                        {2, 1, "Triple Space Translation", 3},  // the queue is refilled
                        {4, 2, "Writing Pipeline", 2}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.title);
    settle(step.after);
    EXPECT_EQ(view->currentVideoIndex(), step.index);
    EXPECT_EQ(title(), step.title);
    EXPECT_EQ(playing(), videos[static_cast<std::size_t>(step.index - 1)].url);
    EXPECT_EQ(player->items().size(), step.queued);
    EXPECT_TRUE(player->isPlaying());
  }
}

TEST_F(OnboardingViewTest, TheProgressBarFollowsTheVideoAndAnUnknownLengthLeavesIt) {
  open();
  const std::pair<double, double> steps[] = {{1, 0.25}, {2, 0.75}, {0.98, 0.995}, {0.02 + 3, 0.5}};
  for (const auto& [after, expected] : steps) {
    settle(after);
    EXPECT_NEAR(bar(), expected, 1e-6);
  }
  auto unknown = platform::SimulatedMediaPlayer::make();
  view = OnboardingView::make(shown.binding(), unknown);
  settle(30);
  EXPECT_EQ(view->progress(), 0);
  EXPECT_EQ(view->currentVideoIndex(), 1);  // a video that never plays to its end keeps its title
  unknown->setDuration(OnboardingView::videoURLs()[0].url, 0);
  settle(0.02);
  EXPECT_EQ(view->progress(), 1);
}

TEST_F(OnboardingViewTest, TheCloseButtonShowsTheHandAndTheToggleStoresTheChoice) {
  open();
  const auto background = [&] { return host->find("onboarding.close")->modifiers.background->name(); };
  ASSERT_TRUE(host->hover("onboarding.close", true));
  settle(0);
  EXPECT_EQ(background(), "setHoverBtColor");
  EXPECT_EQ(host->cursor(), ui::Cursor::pointingHand);
  ASSERT_TRUE(host->hover("onboarding.close", false));
  settle(0);
  EXPECT_EQ(background(), "contentBgColor");
  EXPECT_TRUE(player->isPlaying());
  for (const bool stored : {false, true}) {
    SCOPED_TRACE(stored);
    env().userDefaults->setBool("hasSeenOnboarding", stored);
    open();
    EXPECT_EQ(host->find("onboarding.noShowAgain")->boolBinding.get(), stored);
    ASSERT_TRUE(host->click("onboarding.noShowAgain"));
    EXPECT_EQ(env().userDefaults->bool_("hasSeenOnboarding"), !stored);
  }
}

TEST_F(OnboardingViewTest, EveryCloseStopsTheVideosAndClosesOnlyItsOwnWindow) {
  for (const bool byCloseBox : {false, true}) {
    SCOPED_TRACE(byCloseBox);
    open();
    auto window = std::make_shared<platform::Window>(platform::Rect{0, 0, 720, 500}, 11, 2, false);
    auto other = std::make_shared<platform::Window>(platform::Rect{0, 0, 300, 200}, 11, 2, false);
    view->attachWindow(window);
    window->makeKeyAndOrderFront();
    other->makeKeyAndOrderFront();  // another window is key
    if (byCloseBox) {
      window->close();
    } else {
      ASSERT_TRUE(host->click("onboarding.close"));
      EXPECT_FALSE(shown.get());
    }
    EXPECT_TRUE(window->isClosed());
    EXPECT_TRUE(other->isVisible());
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->observerCount(), 0u);
    settle(10);  // nothing plays on
    EXPECT_FALSE(player->isPlaying());
    other->close();
    shown.set(true);
  }
}

TEST_F(OnboardingViewTest, AViewReactsToItsOwnPlayerOnly) {
  open();
  auto otherPlayer = platform::SimulatedMediaPlayer::make();
  auto otherView = OnboardingView::make(ui::Binding<bool>::constant(true), otherPlayer);
  otherPlayer->finishCurrentItem();
  otherPlayer->finishCurrentItem();
  EXPECT_EQ(otherView->currentVideoIndex(), 3);
  EXPECT_EQ(view->currentVideoIndex(), 1);
  view.reset();
  host.reset();
  EXPECT_EQ(player->observerCount(), 0u);  // a view gone leaves no observer behind
}

}  // namespace
}  // namespace quellorin

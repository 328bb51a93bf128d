#include "Quellorin/Shell/OnboardingView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/Window.h"
#include "Quellorin/Common/ServiceAddress.h"

namespace quellorin {

const std::vector<FeatureVideo>& OnboardingView::videoURLs() {
  static const std::vector<FeatureVideo> videos{
      {serviceBaseURL() + "/static/videos/tripple-space-translation.mp4", "Triple Space Translation", 1,
       "Translation anywhere Type in three consecutive spaces at the end of a paragraph in any app, "
       "Quellorin will "
       "automatically detect and trigger the pre-set translation workflow."},
      {serviceBaseURL() + "/static/videos/tripple-space-pipeline.mp4", "Writing Pipeline", 2,
       "Process text in steps automatically With Writing Pipeline, Quellorin integrates various AI text "
       "processing "
       "capabilities, including translation, layout optimization, sentence optimization, paragraph "
       "structuring, "
       "etc."},
      {serviceBaseURL() + "/static/videos/tripple-space-freeask.mp4", "Ask AI", 3,
       "easy to use AI chatbox When no text was selected, trigger the Global Shortcut keys will activate "
       "Quellorin "
       "with Ask AI mode (Default Global Shortcut: Cmd + Shift + Space)."},
  };
  return videos;
}

std::shared_ptr<OnboardingView> OnboardingView::make(ui::Binding<bool> showOnboarding,
                                                     std::shared_ptr<platform::MediaPlayer> player) {
  std::shared_ptr<OnboardingView> view(new OnboardingView(std::move(showOnboarding), std::move(player)));
  view->setUpPlayer();
  return view;
}

OnboardingView::OnboardingView(ui::Binding<bool> showOnboarding,
                               std::shared_ptr<platform::MediaPlayer> player)
    : hoverVideoBgColor_(*this, "contentBgColor"),
      showOnboarding_(std::move(showOnboarding)),
      currentVideoIndex_(*this, 1),
      noShowAgain_(*this, hasSeenOnboardingKey, false),
      progress_(*this, 0),
      player_(std::move(player)) {}

OnboardingView::~OnboardingView() { stop(); }

void OnboardingView::setUpPlayer() {
  std::vector<std::string> urls;
  for (const auto& video : videoURLs()) urls.push_back(video.url);
  player_->replaceItems(urls);
  observers_.push_back(player_->addItemEndObserver(
      weakly(this, [](OnboardingView& self, const platform::PlayerItem&) { self.itemDidEnd(); })));
  observers_.push_back(player_->addPeriodicTimeObserver(
      progressInterval,
      weakly(this, [](OnboardingView& self, double seconds) { self.timeDidChange(seconds); })));
  player_->play();
}

void OnboardingView::itemDidEnd() {
  const int count = static_cast<int>(videoURLs().size());
  if (currentVideoIndex_.get() < count) {
    currentVideoIndex_.set(currentVideoIndex_.get() + 1);
    return;
  }
  player_->pause();
  player_->removeAllItems();
  for (const auto& video : videoURLs()) player_->appendItem(video.url);
  player_->seekToZero();
  currentVideoIndex_.set(1);
  progress_.set(0);
  player_->play();
}

void OnboardingView::timeDidChange(double seconds) {
  if (!player_->currentItem()) return;
  const double duration = player_->currentDuration();
  if (std::isnan(duration)) return;
  if (duration > 0) progress_.set(seconds / duration);
  if (duration <= seconds) progress_.set(1);
}

void OnboardingView::stop() {
  if (stopped_) return;
  stopped_ = true;
  player_->pause();
  for (const auto token : observers_) player_->removeObserver(token);
  observers_.clear();
}

void OnboardingView::close() {
  showOnboarding_.set(false);
  stop();
  if (const auto window = window_.lock()) window->close();
}

void OnboardingView::attachWindow(const std::shared_ptr<platform::Window>& window) {
  window_ = window;
  window->setCloseHandler(weakly(this, [](OnboardingView& self) { self.stop(); }));
}

void OnboardingView::hoverChanged(bool inside) {
  hoverVideoBgColor_.set(inside ? "setHoverBtColor" : "contentBgColor");
}

ui::Node OnboardingView::body() {
  const auto& videos = videoURLs();
  const int index = std::clamp(currentVideoIndex_.get(), 1, static_cast<int>(videos.size()));
  const FeatureVideo& video = videos[static_cast<std::size_t>(index - 1)];
  const auto current = player_->currentItem();

  ui::Node playerArea =
      ui::VStack(
          {ui::Video("onboarding.video", current ? current->url : video.url, videoHeight)
               .frame(width, videoHeight),
           ui::VStack({ui::ProgressView(progress_.get()).id("onboarding.progress")}).padding({5, 20, 0, 20}),
           ui::Text(video.title)
               .id("onboarding.title")
               .font(ui::Font::system(14, true))
               .padding({8, 50, 0, 50})},
          ui::Alignment::center, 0)
          .frame(width, std::nullopt);

  ui::Node closeButton =
      ui::Button("onboarding.close", platform::localizedString("close"),
                 weakly(this, [](OnboardingView& self) { self.close(); }))
          .padding({4, 10, 4, 10})
          .background(ui::Color::named(hoverVideoBgColor_.get()))
          .cornerRadius(6)
          .stroke(ui::Color::gray().opacity(0.5), 1, 8)
          .hoverCursor(ui::Cursor::pointingHand)
          .onHover(weakly(this, [](OnboardingView& self, bool inside) { self.hoverChanged(inside); }));

  ui::Node bar = ui::HStack({ui::Toggle("onboarding.noShowAgain", platform::localizedString("noShowAgain"),
                                        noShowAgain_.binding()),
                             ui::Spacer(), ui::HStack({closeButton})})
                     .padding({0, 10, 15, 10});
  return ui::VStack({playerArea, bar});
}

}  // namespace quellorin

#include "Platform/Desktop/Simulated/SimulatedMediaPlayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/Timer.h"

namespace platform {

namespace {
constexpr double kIdleTick = 0.1;
}

std::shared_ptr<SimulatedMediaPlayer> SimulatedMediaPlayer::make() {
  return std::shared_ptr<SimulatedMediaPlayer>(new SimulatedMediaPlayer());
}

SimulatedMediaPlayer::~SimulatedMediaPlayer() {
  if (ticks_) ticks_->invalidate();
}

std::vector<PlayerItem> SimulatedMediaPlayer::replaceItems(const std::vector<std::string>& urls) {
  queue_.clear();
  time_ = 0;
  for (const auto& url : urls) appendItem(url);
  return queue_;
}

PlayerItem SimulatedMediaPlayer::appendItem(const std::string& url) {
  queue_.push_back({nextIdentity_++, url});
  return queue_.back();
}

void SimulatedMediaPlayer::removeAllItems() {
  queue_.clear();
  time_ = 0;
}

std::vector<PlayerItem> SimulatedMediaPlayer::items() const { return queue_; }

std::optional<PlayerItem> SimulatedMediaPlayer::currentItem() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front();
}

void SimulatedMediaPlayer::play() {
  if (playing_) return;
  playing_ = true;
  restartTicks();
  notifyTime();
}

void SimulatedMediaPlayer::pause() {
  playing_ = false;
  if (ticks_) ticks_->invalidate();
  ticks_.reset();
}

double SimulatedMediaPlayer::currentTime() const { return queue_.empty() ? 0 : time_; }

double SimulatedMediaPlayer::currentDuration() const {
  if (queue_.empty()) return std::numeric_limits<double>::quiet_NaN();
  const auto found = durations_.find(queue_.front().url);
  return found == durations_.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
}

MediaPlayer::ObserverToken SimulatedMediaPlayer::addItemEndObserver(ItemEndObserver observer) {
  endObservers_[nextToken_] = std::move(observer);
  return nextToken_++;
}

MediaPlayer::ObserverToken SimulatedMediaPlayer::addPeriodicTimeObserver(double intervalSeconds,
                                                                         TimeObserver observer) {
  timeObservers_[nextToken_] = {intervalSeconds, std::move(observer)};
  if (playing_) restartTicks();
  return nextToken_++;
}

void SimulatedMediaPlayer::removeObserver(ObserverToken token) {
  endObservers_.erase(token);
  timeObservers_.erase(token);
}

void SimulatedMediaPlayer::setDuration(const std::string& url, double seconds) { durations_[url] = seconds; }

void SimulatedMediaPlayer::finishCurrentItem() {
  if (queue_.empty()) return;
  const PlayerItem finished = queue_.front();
  queue_.erase(queue_.begin());
  time_ = 0;
  // Copied: an observer may remove itself or others.
  const auto observers = endObservers_;
  for (const auto& [token, observer] : observers) {
    if (endObservers_.count(token) != 0) observer(finished);
  }
}

void SimulatedMediaPlayer::restartTicks() {
  if (ticks_) ticks_->invalidate();
  double interval = kIdleTick;
  for (const auto& [token, registration] : timeObservers_)
    interval = std::min(interval, registration.interval);
  std::weak_ptr<SimulatedMediaPlayer> weak = shared_from_this();
  ticks_ = MainQueue::main()->scheduleTimer(interval, true, [weak, interval](Timer&) {
    if (const auto self = weak.lock()) self->tick(interval);
  });
}

void SimulatedMediaPlayer::tick(double seconds) {
  if (!playing_ || queue_.empty()) return;
  time_ += seconds;
  const double duration = currentDuration();
  // Times are sums of a tick interval: allow for the rounding of the sum.
  if (!std::isnan(duration) && time_ >= duration - 1e-9) {
    time_ = duration;
    notifyTime();
    finishCurrentItem();
    return;
  }
  notifyTime();
}

void SimulatedMediaPlayer::notifyTime() {
  const auto observers = timeObservers_;
  for (const auto& [token, registration] : observers) {
    if (timeObservers_.count(token) != 0) registration.observer(time_);
  }
}

}  // namespace platform

#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/MediaPlayer.h"

namespace platform {

class Timer;

// The simulated desktop's player: time passes on the installed environment's main-queue clock
// while it plays. A tick timer of the finest observer interval (0.1 s without observers) moves
// the current item's time on; an item whose length is known ends when its time reaches it, and
// the next one starts at zero. Every time observer is called at each tick. Lengths are set per address by
// tests (none known by default: such an item plays for ever, as a video that cannot be fetched shows nothing
// and never ends).
class SimulatedMediaPlayer final : public MediaPlayer,
                                   public std::enable_shared_from_this<SimulatedMediaPlayer> {
 public:
  static std::shared_ptr<SimulatedMediaPlayer> make();
  ~SimulatedMediaPlayer() override;

  std::vector<PlayerItem> replaceItems(const std::vector<std::string>& urls) override;
  PlayerItem appendItem(const std::string& url) override;
  void removeAllItems() override;
  std::vector<PlayerItem> items() const override;
  std::optional<PlayerItem> currentItem() const override;
  void play() override;
  void pause() override;
  bool isPlaying() const override { return playing_; }
  void seekToZero() override { time_ = 0; }
  double currentTime() const override;
  double currentDuration() const override;
  ObserverToken addItemEndObserver(ItemEndObserver observer) override;
  ObserverToken addPeriodicTimeObserver(double intervalSeconds, TimeObserver observer) override;
  void removeObserver(ObserverToken token) override;

  // --- The desktop side ----------------------------------------------------------------------
  void setDuration(const std::string& url, double seconds);
  // Ends the current item now, as if it had played to its end.
  void finishCurrentItem();
  std::size_t observerCount() const { return endObservers_.size() + timeObservers_.size(); }

 private:
  SimulatedMediaPlayer() = default;
  void restartTicks();
  void tick(double seconds);
  void notifyTime();

  struct TimeRegistration {
    double interval;
    TimeObserver observer;
  };

  std::vector<PlayerItem> queue_;
  std::map<std::string, double> durations_;
  std::map<ObserverToken, ItemEndObserver> endObservers_;
  std::map<ObserverToken, TimeRegistration> timeObservers_;
  ObserverToken nextToken_ = 1;
  std::uint64_t nextIdentity_ = 1;
  bool playing_ = false;
  double time_ = 0;
  std::shared_ptr<Timer> ticks_;
};

}  // namespace platform

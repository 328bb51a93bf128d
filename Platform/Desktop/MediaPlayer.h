#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of a player's queue: the address it plays and an identity that tells two entries of
// the same address apart.
struct PlayerItem {
  std::uint64_t identity = 0;
  std::string url;
  bool operator==(const PlayerItem&) const = default;
};

// A queue player for videos: plays its items in order and, when one reaches its end, moves on to
// the next by itself (the queue then no longer holds the finished one).
//
// Threads: main queue only. Observers run on the main queue and are called for this player's
// items only; they may change the player (refill the queue, pause) and remove themselves.
class MediaPlayer {
 public:
  using ObserverToken = std::uint64_t;
  using ItemEndObserver = std::function<void(const PlayerItem& finished)>;
  // The time reached in the current item, in seconds.
  using TimeObserver = std::function<void(double seconds)>;

  virtual ~MediaPlayer() = default;

  // Replaces the queue by one item per address, in order, and answers them.
  virtual std::vector<PlayerItem> replaceItems(const std::vector<std::string>& urls) = 0;
  // Adds an item after the last one.
  virtual PlayerItem appendItem(const std::string& url) = 0;
  virtual void removeAllItems() = 0;
  virtual std::vector<PlayerItem> items() const = 0;
  virtual std::optional<PlayerItem> currentItem() const = 0;

  virtual void play() = 0;
  virtual void pause() = 0;
  virtual bool isPlaying() const = 0;
  // Back to the start of the current item.
  virtual void seekToZero() = 0;

  // Seconds into the current item; 0 without one.
  virtual double currentTime() const = 0;
  // The current item's length in seconds; NaN while it is not known (or without an item).
  virtual double currentDuration() const = 0;

  virtual ObserverToken addItemEndObserver(ItemEndObserver observer) = 0;
  // Every `intervalSeconds` of playing, and once at each start of playback.
  virtual ObserverToken addPeriodicTimeObserver(double intervalSeconds, TimeObserver observer) = 0;
  // Unknown tokens are ignored.
  virtual void removeObserver(ObserverToken token) = 0;
};

}  // namespace platform

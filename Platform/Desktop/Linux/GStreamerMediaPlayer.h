#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/MediaPlayer.h"

namespace platform {

class Timer;

// The queue player on GStreamer: one `playbin` plays the current item's address (file, http or
// https); at its end the item leaves the queue, the next one starts, then the item-end observers
// run. The videos play without sound (the onboarding videos are silent, and a session without
// a sound server must not fail them). A video that cannot be fetched or decoded is logged once
// and otherwise behaves as the interface says of one that never ends: it stays current.
//
// Threads: main queue only, as the interface says. GStreamer's own threads only hand messages
// (end of stream, errors) to the main queue, where they are dropped once the item they concern
// is no longer loaded.
class GStreamerMediaPlayer final : public MediaPlayer,
                                   public std::enable_shared_from_this<GStreamerMediaPlayer> {
 public:
  struct Options {
    // The video sink, by element name: "gtksink" (a GTK widget a window can hold, see
    // videoWidget()) by default; tests use "fakesink".
    std::string videoSink = "gtksink";
  };

  // Throws std::runtime_error when GStreamer or its playbin element is missing.
  static std::shared_ptr<GStreamerMediaPlayer> make(Options options);
  ~GStreamerMediaPlayer() override;
  GStreamerMediaPlayer(const GStreamerMediaPlayer&) = delete;
  GStreamerMediaPlayer& operator=(const GStreamerMediaPlayer&) = delete;

  std::vector<PlayerItem> replaceItems(const std::vector<std::string>& urls) override;
  PlayerItem appendItem(const std::string& url) override;
  void removeAllItems() override;
  std::vector<PlayerItem> items() const override { return queue_; }
  std::optional<PlayerItem> currentItem() const override;
  void play() override;
  void pause() override;
  bool isPlaying() const override { return playing_; }
  void seekToZero() override;
  double currentTime() const override;
  double currentDuration() const override;
  ObserverToken addItemEndObserver(ItemEndObserver observer) override;
  ObserverToken addPeriodicTimeObserver(double intervalSeconds, TimeObserver observer) override;
  void removeObserver(ObserverToken token) override;

  // The GtkWidget that shows the picture with the "gtksink" sink (owned by the sink; to be put
  // in a window on the GTK thread); null with any other sink.
  void* videoWidget() const;

  // GStreamer's messages, handed to the main queue with the load they belong to: the end of the
  // current item's stream, and a failure to play it. Stale ones are dropped.
  void itemEnded(std::uint64_t generation);
  void failed(std::uint64_t generation, const std::string& message);

 private:
  explicit GStreamerMediaPlayer(Options options);
  void start();
  // Loads the current item into the playbin (or empties it) in the state the player is in.
  void load();
  void restartTicks();
  void notifyTime();

  struct TimeRegistration {
    double interval;
    TimeObserver observer;
  };

  Options options_;
  void* playbin_ = nullptr;    // GstElement*, owned
  void* videoSink_ = nullptr;  // GstElement*, owned by the playbin
  std::vector<PlayerItem> queue_;
  std::map<ObserverToken, ItemEndObserver> endObservers_;
  std::map<ObserverToken, TimeRegistration> timeObservers_;
  ObserverToken nextToken_ = 1;
  std::uint64_t nextIdentity_ = 1;
  bool playing_ = false;
  // Which load a message of GStreamer's threads belongs to.
  std::atomic<std::uint64_t> generation_{0};
  std::uint64_t reportedGeneration_ = 0;
  std::shared_ptr<Timer> ticks_;
};

}  // namespace platform

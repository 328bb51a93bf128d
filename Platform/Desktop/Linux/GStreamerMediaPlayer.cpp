#include "Platform/Desktop/Linux/GStreamerMediaPlayer.h"

#include <gst/gst.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <stdexcept>

#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Dispatch/Timer.h"

namespace platform {

namespace {

constexpr double kIdleTick = 0.1;
// playbin's "flags": GST_PLAY_FLAG_AUDIO.
constexpr guint kPlayAudio = 1U << 1;

GstElement* element(void* pointer) { return static_cast<GstElement*>(pointer); }

// What the bus handler needs: it runs on GStreamer's threads, so it only hands messages over.
struct BusTarget {
  std::weak_ptr<GStreamerMediaPlayer> player;
  std::shared_ptr<MainQueue> queue;
  const std::atomic<std::uint64_t>* generation;
};

}  // namespace

// Called from C by GStreamer on the thread that posts the message.
static GstBusSyncReply busMessage(GstBus*, GstMessage* message, gpointer data);

std::shared_ptr<GStreamerMediaPlayer> GStreamerMediaPlayer::make(Options options) {
  std::shared_ptr<GStreamerMediaPlayer> player(new GStreamerMediaPlayer(std::move(options)));
  player->start();
  return player;
}

GStreamerMediaPlayer::GStreamerMediaPlayer(Options options) : options_(std::move(options)) {
  static std::once_flag initialised;
  static bool available = false;
  std::call_once(initialised, [] { available = gst_init_check(nullptr, nullptr, nullptr) == TRUE; });
  if (!available) throw std::runtime_error("GStreamer cannot start");
  playbin_ = gst_element_factory_make("playbin", nullptr);
  if (playbin_ == nullptr) throw std::runtime_error("GStreamer has no playbin element");
  gst_object_ref_sink(playbin_);
  guint flags = 0;
  g_object_get(playbin_, "flags", &flags, nullptr);
  g_object_set(playbin_, "flags", flags & ~kPlayAudio, nullptr);
  if (GstElement* sink = gst_element_factory_make(options_.videoSink.c_str(), nullptr)) {
    videoSink_ = sink;
    // Frames are shown at their time, whatever the sink (a fakesink would rush through).
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync") != nullptr)
      g_object_set(sink, "sync", TRUE, nullptr);
    g_object_set(playbin_, "video-sink", sink, nullptr);
  } else {
    log("[error] video: no sink named " + options_.videoSink + "; GStreamer chooses one");
  }
}

void GStreamerMediaPlayer::start() {
  GstBus* bus = gst_element_get_bus(element(playbin_));
  gst_bus_set_sync_handler(bus, busMessage, new BusTarget{weak_from_this(), MainQueue::main(), &generation_},
                           [](gpointer data) { delete static_cast<BusTarget*>(data); });
  gst_object_unref(bus);
}

GStreamerMediaPlayer::~GStreamerMediaPlayer() {
  if (ticks_) ticks_->invalidate();
  gst_element_set_state(element(playbin_), GST_STATE_NULL);
  GstBus* bus = gst_element_get_bus(element(playbin_));
  gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
  gst_object_unref(bus);
  gst_object_unref(playbin_);
}

static GstBusSyncReply busMessage(GstBus*, GstMessage* message, gpointer data) {
  try {
    auto* target = static_cast<BusTarget*>(data);
    const std::uint64_t generation = target->generation->load();
    switch (GST_MESSAGE_TYPE(message)) {
      case GST_MESSAGE_EOS:
        target->queue->async([player = target->player, generation] {
          if (const auto self = player.lock()) self->itemEnded(generation);
        });
        break;
      case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        std::string text = error != nullptr ? error->message : "unknown error";
        if (error != nullptr) g_error_free(error);
        target->queue->async([player = target->player, generation, text] {
          if (const auto self = player.lock()) self->failed(generation, text);
        });
        break;
      }
      default:
        break;
    }
  } catch (...) {
    // Nothing may reach GStreamer's thread; a message lost here is one the player can live without.
  }
  return GST_BUS_DROP;
}

std::vector<PlayerItem> GStreamerMediaPlayer::replaceItems(const std::vector<std::string>& urls) {
  queue_.clear();
  for (const auto& url : urls) queue_.push_back({nextIdentity_++, url});
  load();
  return queue_;
}

PlayerItem GStreamerMediaPlayer::appendItem(const std::string& url) {
  queue_.push_back({nextIdentity_++, url});
  if (queue_.size() == 1) load();
  return queue_.back();
}

void GStreamerMediaPlayer::removeAllItems() {
  queue_.clear();
  load();
}

std::optional<PlayerItem> GStreamerMediaPlayer::currentItem() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front();
}

void GStreamerMediaPlayer::load() {
  // Stopping waits for GStreamer's threads, so no message of the old item is posted after the
  // generation has moved on.
  gst_element_set_state(element(playbin_), GST_STATE_READY);
  ++generation_;
  if (queue_.empty()) return;
  g_object_set(playbin_, "uri", queue_.front().url.c_str(), nullptr);
  gst_element_set_state(element(playbin_), playing_ ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

void GStreamerMediaPlayer::play() {
  if (playing_) return;
  playing_ = true;
  if (!queue_.empty()) gst_element_set_state(element(playbin_), GST_STATE_PLAYING);
  restartTicks();
  notifyTime();
}

void GStreamerMediaPlayer::pause() {
  playing_ = false;
  if (!queue_.empty()) gst_element_set_state(element(playbin_), GST_STATE_PAUSED);
  if (ticks_) ticks_->invalidate();
  ticks_.reset();
}

void GStreamerMediaPlayer::seekToZero() {
  // A freshly loaded item starts at zero anyway; before it is prerolled the seek is refused.
  gst_element_seek_simple(element(playbin_), GST_FORMAT_TIME,
                          static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0);
}

double GStreamerMediaPlayer::currentTime() const {
  gint64 position = 0;
  if (queue_.empty() || !gst_element_query_position(element(playbin_), GST_FORMAT_TIME, &position)) return 0;
  return static_cast<double>(position) / GST_SECOND;
}

double GStreamerMediaPlayer::currentDuration() const {
  gint64 duration = 0;
  if (queue_.empty() || !gst_element_query_duration(element(playbin_), GST_FORMAT_TIME, &duration) ||
      duration < 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return static_cast<double>(duration) / GST_SECOND;
}

MediaPlayer::ObserverToken GStreamerMediaPlayer::addItemEndObserver(ItemEndObserver observer) {
  endObservers_[nextToken_] = std::move(observer);
  return nextToken_++;
}

MediaPlayer::ObserverToken GStreamerMediaPlayer::addPeriodicTimeObserver(double intervalSeconds,
                                                                         TimeObserver observer) {
  timeObservers_[nextToken_] = {intervalSeconds, std::move(observer)};
  if (playing_) restartTicks();
  return nextToken_++;
}

void GStreamerMediaPlayer::removeObserver(ObserverToken token) {
  endObservers_.erase(token);
  timeObservers_.erase(token);
}

void* GStreamerMediaPlayer::videoWidget() const {
  if (videoSink_ == nullptr ||
      g_object_class_find_property(G_OBJECT_GET_CLASS(videoSink_), "widget") == nullptr)
    return nullptr;
  void* widget = nullptr;
  g_object_get(videoSink_, "widget", &widget, nullptr);
  // The sink keeps the widget; the reference the property gave is not kept here.
  if (widget != nullptr) g_object_unref(widget);
  return widget;
}

void GStreamerMediaPlayer::itemEnded(std::uint64_t generation) {
  if (generation != generation_ || queue_.empty()) return;
  const PlayerItem finished = queue_.front();
  queue_.erase(queue_.begin());
  load();
  // Copied: an observer may remove itself or others, or refill the queue.
  const auto observers = endObservers_;
  for (const auto& [token, observer] : observers) {
    if (endObservers_.count(token) != 0) observer(finished);
  }
}

void GStreamerMediaPlayer::failed(std::uint64_t generation, const std::string& message) {
  // One line per load: GStreamer follows the first error with others about the same failure.
  if (generation != generation_ || queue_.empty() || reportedGeneration_ == generation) return;
  reportedGeneration_ = generation;
  log("[error] video " + queue_.front().url + ": " + message);
}

void GStreamerMediaPlayer::restartTicks() {
  if (ticks_) ticks_->invalidate();
  double interval = kIdleTick;
  for (const auto& [token, registration] : timeObservers_)
    interval = std::min(interval, registration.interval);
  std::weak_ptr<GStreamerMediaPlayer> weak = shared_from_this();
  ticks_ = MainQueue::main()->scheduleTimer(interval, true, [weak](Timer&) {
    if (const auto self = weak.lock()) self->notifyTime();
  });
}

void GStreamerMediaPlayer::notifyTime() {
  if (!playing_ || queue_.empty()) return;
  const double time = currentTime();
  const auto observers = timeObservers_;
  for (const auto& [token, registration] : observers) {
    if (timeObservers_.count(token) != 0) registration.observer(time);
  }
}

}  // namespace platform

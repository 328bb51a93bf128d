#pragma once

// Short videos made with GStreamer itself, for the tests that play videos for real.
// Header-only.

#include <gst/gst.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace testsupport {

// Writes a video of `frames` frames of a test picture at 10 frames a second (so `frames` / 10
// seconds long): Motion JPEG in AVI, which keeps its length exactly (the MPEG-4 encoder at hand
// shortens so short a clip); players find the container by its content, whatever the file's
// name says. Throws std::runtime_error when GStreamer cannot make it.
inline void writeTestVideo(const std::filesystem::path& path, int frames) {
  if (!gst_init_check(nullptr, nullptr, nullptr)) throw std::runtime_error("GStreamer cannot start");
  const std::string description = "videotestsrc num-buffers=" + std::to_string(frames) +
                                  " ! video/x-raw,width=64,height=48,framerate=10/1 ! jpegenc ! avimux ! "
                                  "filesink location=\"" +
                                  path.string() + "\"";
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (error != nullptr) {
    const std::string message = error->message;
    g_error_free(error);
    if (pipeline != nullptr) gst_object_unref(pipeline);
    throw std::runtime_error("cannot make a test video: " + message);
  }
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* end = gst_bus_timed_pop_filtered(
      bus, 20 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool finished = end != nullptr && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
  if (end != nullptr) gst_message_unref(end);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  if (!finished) throw std::runtime_error("the test video was not finished: " + path.string());
}

}  // namespace testsupport

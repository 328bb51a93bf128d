#pragma once

#include "Quellorin/Services/StreamEvent.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quellorin {

// Turns the body of an event stream, fed in pieces as it arrives, into stream events.
// Lines end at "\n", "\r\n" or "\r" (a piece may end anywhere, even between "\r" and "\n" or
// inside a UTF-8 sequence). Each complete line is handled on its own the moment it is
// complete, and the callback runs before feed() returns; nothing but the unfinished line is
// kept, and that only up to a limit. Not thread-safe: one reader per stream, fed from one
// thread.
class EventStreamReader {
 public:
  using EventCallback = std::function<void(const StreamEvent&)>;

  // The longest line the reader takes, in bytes without its line break: far above any real
  // event, so a longer one can only come from a broken or hostile answer, and keeping it
  // would let the answer grow memory without bound.
  static constexpr std::size_t kMaxLineBytes = 4 * 1024 * 1024;

  explicit EventStreamReader(EventCallback onEvent, std::size_t maxLineBytes = kMaxLineBytes);

  // Handles the lines that `bytes` completes. Answers false once a line has turned out longer
  // than the limit, however it was split: that line is dropped unread, and from then on the
  // reader ignores everything; the stream is broken and reading should stop.
  bool feed(std::string_view bytes);
  // The stream has ended: a last line without a line break is handled too.
  void finish();

  // True once a line longer than the limit has come.
  bool overflowed() const { return overflowed_; }

  // How many events have reached the callback so far.
  std::size_t eventsDelivered() const { return delivered_; }

  // The event that one line stands for, or nullopt when the line is to be skipped: it must be
  // "data: " and a JSON object whose string "event" is "message" (text from "answer"),
  // "workflow_started", "workflow_finished" or "error" (text from "message"). Invalid UTF-8 is
  // read as U+FFFD. Logs "接收到错误：" for error events and "接收到事件：" for unknown kinds.
  static std::optional<StreamEvent> handleStreamLine(std::string_view line);

 private:
  void handleLine(std::string_view line);
  // Drops the unfinished line and stops the reader; answers false for feed() to return.
  bool overflow();

  EventCallback onEvent_;
  std::size_t maxLineBytes_;
  std::string pending_;
  bool afterCarriageReturn_ = false;
  bool overflowed_ = false;
  std::size_t delivered_ = 0;
};

}  // namespace quellorin

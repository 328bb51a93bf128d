#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "Quellorin/Services/CaretLine.h"
#include "Quellorin/Services/StreamEvent.h"

namespace quellorin {

class TextHandlingService;

// One run of the space-bar road: types each "message" chunk over the selected line as it
// arrives, and keeps count of what it typed, so that a stream that ends in an error after
// typing began gets the original line typed back in place of the partial translation. An
// "error" followed by more chunks is not an ending: it types nothing and changes nothing.
//
// Threads: events come on the thread that reads the stream, and a late error event (a request
// given up after the call returned) may come on the main queue after streamEnded(); the run
// serialises them.
class TranslationRun {
 public:
  TranslationRun(std::shared_ptr<TextHandlingService> textHandling, CaretLine line);

  void handle(const StreamEvent& event);
  // The service call has returned.
  void streamEnded();

  bool restoredLine() const;

 private:
  // Called with the lock held.
  void restoreLineIfBroken();

  const std::shared_ptr<TextHandlingService> textHandling_;
  const CaretLine line_;
  mutable std::mutex mutex_;
  std::int64_t typedUnits_ = 0;
  bool endedInError_ = false;
  bool streamEnded_ = false;
  bool restored_ = false;
};

}  // namespace quellorin

#include "Platform/Core/Log.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex& sinkMutex() {
  static std::mutex mutex;
  return mutex;
}

LogSink& currentSink() {
  static LogSink sink;
  return sink;
}

}  // namespace

void log(std::string_view line) {
  std::lock_guard lock(sinkMutex());
  if (auto& sink = currentSink()) {
    sink(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

LogSink setLogSink(LogSink sink) {
  std::lock_guard lock(sinkMutex());
  return std::exchange(currentSink(), std::move(sink));
}

struct LogCapture::State {
  std::string text;
};

LogCapture::LogCapture() : state_(std::make_unique<State>()) {
  State* state = state_.get();
  // The sink runs under the sink mutex, so the captured text needs no lock of its own
  // while writers run; readers take the same mutex below.
  previous_ = setLogSink([state](std::string_view line) {
    state->text.append(line);
    state->text.push_back('\n');
  });
}

LogCapture::~LogCapture() { setLogSink(std::move(previous_)); }

std::string LogCapture::text() const {
  std::lock_guard lock(sinkMutex());
  return state_->text;
}

bool LogCapture::contains(std::string_view fragment) const {
  return text().find(fragment) != std::string::npos;
}

}  // namespace platform

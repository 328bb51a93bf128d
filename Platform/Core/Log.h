#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The system logs by printing lines to standard output. Every line goes through one
// process-wide sink so that tests can capture what would have been printed.
// Thread-safe: lines from several threads never interleave within a line.

// Prints `line` followed by a new line through the current sink.
void log(std::string_view line);

// A sink receives each line without its trailing new line.
using LogSink = std::function<void(std::string_view line)>;

// Replaces the sink; an empty function restores standard output. Returns the previous sink.
LogSink setLogSink(LogSink sink);

// Captures every logged line while it is alive, restoring the previous sink on destruction.
// Meant for tests; captures are not nested across threads.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The captured lines, each followed by "\n".
  std::string text() const;
  // True when some captured line contains `fragment`.
  bool contains(std::string_view fragment) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
  LogSink previous_;
};

}  // namespace platform

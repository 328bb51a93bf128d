#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <optional>
#include <string>
#include <thread>

#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Platform/Core/Paths.h"

namespace {

// Reads "--seconds N": how long to run; zero (the default) means until interrupted. A missing,
// malformed or negative N is refused with a log line, and the answer is none.
std::optional<double> runLimitSeconds(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") != 0) continue;
    const char* text = i + 1 < argc ? argv[i + 1] : "";
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0)) {
      platform::log(std::string("[error] --seconds needs a number of seconds, got \"") + text + "\"");
      return std::nullopt;
    }
    return seconds;
  }
  return 0.0;
}

sigset_t stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// Blocks SIGINT and SIGTERM in the calling thread and so in every thread it starts afterwards.
// Called first thing, before any service can start a thread that would take them instead.
void blockStopSignals() {
  const sigset_t signals = stopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// Stops the main queue on SIGINT or SIGTERM, which blockStopSignals() has blocked in every
// thread: one waiting thread takes them, so stopping runs as ordinary code rather than inside a
// signal handler.
class StopSignalWatcher {
 public:
  explicit StopSignalWatcher(platform::MainQueue& mainQueue) : signals_(stopSignals()) {
    thread_ = std::thread([this, &mainQueue] {
      int received = 0;
      sigwait(&signals_, &received);
      mainQueue.stop();
    });
  }

  // Wakes the waiting thread if no signal came, and joins it.
  ~StopSignalWatcher() {
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
  }

  StopSignalWatcher(const StopSignalWatcher&) = delete;
  StopSignalWatcher& operator=(const StopSignalWatcher&) = delete;

 private:
  sigset_t signals_;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  const auto limit = runLimitSeconds(argc, argv);
  if (!limit) return 2;

  blockStopSignals();
  std::shared_ptr<platform::Environment> environment;
  try {
    environment = platform::Environment::makeReal();
  } catch (const std::runtime_error& error) {
    // No desktop to run on (no X11 display): one line that says why, and nothing started.
    platform::log(std::string("[error] ") + error.what());
    return 1;
  }
  auto& mainQueue = *environment->mainQueue;
  StopSignalWatcher stopSignalWatcher(mainQueue);
  platform::Environment::install(environment);

  platform::log("Quellorin starting");
  platform::log("documents folder: " + platform::documentsDirectory().string());
  platform::log("config folder: " + platform::applicationConfigDirectory().string());

  if (*limit > 0) {
    mainQueue.scheduleTimer(*limit, false, [&mainQueue](platform::Timer&) { mainQueue.stop(); });
  }
  mainQueue.run();
  // The services end with main(), not among the static destructors.
  platform::Environment::install(nullptr);
  platform::log("Quellorin stopped");
  return 0;
}

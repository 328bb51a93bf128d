#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "Platform/Environment.h"
#include "Platform/Log.h"
#include "Platform/MainQueue.h"
#include "Platform/Paths.h"

namespace {

// Reads "--seconds N"; zero means run until interrupted.
double runLimitSeconds(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) return std::strtod(argv[i + 1], nullptr);
  }
  return 0;
}

sigset_t stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// Stops the main queue on SIGINT or SIGTERM. The signals are blocked in every thread (the
// constructor must run before any other thread starts) and taken by one waiting thread, so
// stopping runs as ordinary code rather than inside a signal handler.
class StopSignalWatcher {
 public:
  explicit StopSignalWatcher(platform::MainQueue& mainQueue) : signals_(stopSignals()) {
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
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
  auto environment = platform::Environment::makeReal();
  auto& mainQueue = *environment->mainQueue;
  StopSignalWatcher stopSignalWatcher(mainQueue);
  platform::Environment::install(environment);
  const double limit = runLimitSeconds(argc, argv);

  platform::log("Quellorin starting");
  platform::log("documents folder: " + platform::documentsDirectory().string());
  platform::log("config folder: " + platform::applicationConfigDirectory().string());

  if (limit > 0) {
    mainQueue.scheduleTimer(limit, false, [&mainQueue](platform::Timer&) { mainQueue.stop(); });
  }
  mainQueue.run();
  // The services end with main(), not among the static destructors.
  platform::Environment::install(nullptr);
  platform::log("Quellorin stopped");
  return 0;
}

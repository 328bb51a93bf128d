#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <chrono>
#include <atomic>

#include "Platform/Log.h"
#include "Platform/Paths.h"

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) { stopRequested = true; }

// Reads "--seconds N"; zero means run until interrupted.
double runLimitSeconds(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) return std::strtod(argv[i + 1], nullptr);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, requestStop);
  std::signal(SIGTERM, requestStop);
  const double limit = runLimitSeconds(argc, argv);

  platform::log("Quellorin starting");
  platform::log("documents folder: " + platform::documentsDirectory().string());
  platform::log("config folder: " + platform::applicationConfigDirectory().string());

  const auto started = std::chrono::steady_clock::now();
  while (!stopRequested) {
    if (limit > 0 && std::chrono::steady_clock::now() - started >= std::chrono::duration<double>(limit)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  platform::log("Quellorin stopped");
  return 0;
}

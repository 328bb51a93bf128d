#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <optional>
#include <string>
#include <thread>
#include <variant>

// GCC sees a null dereference that cannot happen in CLI11's inlined string splitting.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "Platform/Dispatch/MainQueue.h"
#include "Quellorin/Assistant/AssistantWindowContent.h"
#include "Quellorin/Common/ServiceAddress.h"
#include "Quellorin/Services/WindowService.h"
#include "Quellorin/Shell/ApplicationShell.h"

#include <nlohmann/json.hpp>

namespace {

// What the command line asks for.
struct Options {
  std::optional<double> seconds;  // run this long, then stop; none: until a stop signal
};

// The version in the information dictionary of the application's resources, else the one the
// program was built as.
std::string versionText() {
  const nlohmann::json* version = platform::Bundle::main()->object("CFBundleShortVersionString");
  return std::string("Quellorin ") +
         (version != nullptr && version->is_string() ? version->get<std::string>() : QUELLORIN_VERSION);
}

// A number of seconds to run: a finite positive number.
CLI::Validator positiveSeconds() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        char* end = nullptr;
        const double seconds = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0) {
          return "needs a finite positive number of seconds, got \"" + text + "\"";
        }
        return {};
      },
      "SECONDS");
}

// The options, or the exit status when the program ends here: 0 after printing the usage or
// the version on standard output, 2 after printing one line about a usage error on standard
// error.
std::variant<Options, int> parseCommandLine(int argc, char** argv) {
  CLI::App app("Quellorin, the writing assistant in the menu bar.", "quellorin");
  double seconds = 0;
  const CLI::Option* secondsOption =
      app.add_option("--seconds", seconds, "Stop after this many seconds (default: run until stopped)")
          ->check(positiveSeconds());
  app.set_version_flag("--version", std::function<std::string()>(versionText), "Print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    std::string line = error.what();
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    std::fprintf(stderr, "quellorin: %s (see quellorin --help)\n", line.c_str());
    return 2;
  }
  Options options;
  if (secondsOption->count() > 0) options.seconds = seconds;
  return options;
}

sigset_t stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// Takes SIGINT, SIGTERM and SIGHUP for the whole process from the moment it is made: it blocks
// them in the calling thread, and so in every thread started afterwards, and one thread of its
// own waits for them, so stopping runs as ordinary code rather than inside a signal handler.
// Made first thing in main(), before anything that could block (opening the settings file on a
// hung network mount, say) or start a thread that would take the signals instead.
//
// Until stopThrough() names the main queue, a stop signal ends the process at once with status
// 128 + the signal's number: start-up may be stuck in the kernel and cannot be unwound.
// Afterwards it stops the main queue, and main() shuts down in order.
class StopSignalWatcher {
 public:
  StopSignalWatcher() : signals_(stopSignals()) {
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    std::promise<pid_t> started;
    auto watcher = started.get_future();
    thread_ = std::thread([this, &started] {
      started.set_value(static_cast<pid_t>(syscall(SYS_gettid)));
      takeSignals();
    });
    watcherThread = watcher.get();
    // Some libraries start threads that do not block these signals (the web engine's do), and
    // the default action would end the process there: such a thread hands the signal on to
    // the waiting one.
    struct sigaction forward {};
    forward.sa_handler = +[](int number) { syscall(SYS_tgkill, getpid(), watcherThread.load(), number); };
    sigemptyset(&forward.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &forward, nullptr);
  }

  // Wakes the waiting thread if no signal came, and joins it.
  ~StopSignalWatcher() {
    {
      std::lock_guard lock(mutex_);
      finishing_ = true;
    }
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
  }

  StopSignalWatcher(const StopSignalWatcher&) = delete;
  StopSignalWatcher& operator=(const StopSignalWatcher&) = delete;

  void stopThrough(std::shared_ptr<platform::MainQueue> mainQueue) {
    std::lock_guard lock(mutex_);
    mainQueue_ = std::move(mainQueue);
  }

 private:
  void takeSignals() {
    int received = 0;
    sigwait(&signals_, &received);
    std::lock_guard lock(mutex_);
    if (finishing_) return;
    if (mainQueue_) {
      mainQueue_->stop();
      return;
    }
    platform::log("Quellorin stopped during start-up");
    std::fflush(stdout);
    std::_Exit(128 + received);
  }

  static inline std::atomic<pid_t> watcherThread{0};
  sigset_t signals_;
  std::mutex mutex_;  // guards mainQueue_ and finishing_
  std::shared_ptr<platform::MainQueue> mainQueue_;
  bool finishing_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  StopSignalWatcher stopSignalWatcher;
  const auto parsed = parseCommandLine(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const Options& options = std::get<Options>(parsed);
  if (const auto problem = quellorin::serviceAddressProblem()) {
    platform::log("[error] " + *problem);
    return 2;
  }

  std::shared_ptr<platform::Environment> environment;
  try {
    environment = platform::Environment::makeReal();
  } catch (const std::runtime_error& error) {
    // No desktop to run on (no X11 display): one line that says why, and nothing started.
    platform::log(std::string("[error] ") + error.what());
    return 1;
  }
  auto& mainQueue = *environment->mainQueue;
  stopSignalWatcher.stopThrough(environment->mainQueue);
  platform::Environment::install(environment);

  platform::log("Quellorin starting");
  platform::log("documents folder: " + platform::documentsDirectory().string());
  platform::log("config folder: " + platform::applicationConfigDirectory().string());
  // The global shortcut's window shows the assistant.
  quellorin::WindowService::shared()->setRootViewFactory(quellorin::AssistantWindowContent::factory());

  if (options.seconds) {
    mainQueue.scheduleTimer(*options.seconds, false, [&mainQueue](platform::Timer&) { mainQueue.stop(); });
  }
  quellorin::runApplication(mainQueue);
  // The services end with main(), not among the static destructors.
  platform::Environment::install(nullptr);
  platform::log("Quellorin stopped");
  return 0;
}

#pragma once

// Starts the stand-in service as a child process on a free loopback port for one test, and
// talks to its control endpoints. Header-only: shared by the test executables of several
// layers. Needs QUELLORIN_BINARY_DIR, which every test executable is compiled with.

#include "Platform/Http/CurlHttpClient.h"

#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

class StandInProcess {
 public:
  // `extraArguments` go on the service's command line (such as "--videos", a folder).
  explicit StandInProcess(std::vector<std::string> extraArguments = {}) {
    const std::string binary = std::string(QUELLORIN_BINARY_DIR) + "/tools/stand-in-service/stand-in-service";
    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    std::vector<std::string> words{binary, "--port", "0"};
    words.insert(words.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> arguments;
    for (auto& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned != 0) {
      close(output[0]);
      throw std::runtime_error("cannot start " + binary);
    }
    FILE* stream = fdopen(output[0], "r");
    char line[256] = {};
    const bool read = stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr;
    if (stream != nullptr) std::fclose(stream);
    const std::string text = read ? line : "";
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) {
      stop();
      throw std::runtime_error("the stand-in service printed no address: " + text);
    }
    port_ = std::stoi(text.substr(colon + 1));
  }

  ~StandInProcess() { stop(); }
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;

  int port() const { return port_; }
  std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Queues `fault` (an object, or an array of objects) for the next requests to `path`.
  void queueFault(const nlohmann::json& fault, const std::string& path = "/api/processText") {
    control("POST", "/control/faults?path=" + path, fault.dump());
  }

  // Every request the service has received, oldest first (see tools/stand-in-service).
  nlohmann::json requests() {
    return nlohmann::json::parse(control("GET", "/control/requests", std::nullopt));
  }

  // Lets a stream in lockstep mode send its next event.
  void release() { control("POST", "/control/release", std::string()); }

 private:
  std::string control(const std::string& method, const std::string& path, std::optional<std::string> body) {
    platform::HttpRequest request;
    request.method = method;
    request.url = baseURL() + path;
    request.body = std::move(body);
    // Without it libcurl labels the body as a form, which the service caps at 8 KiB.
    request.headers = {{"Content-Type", "application/json"}};
    const platform::HttpDataResult result = client_.send(request);
    if (result.error || !result.head || result.head->status != 200) {
      throw std::runtime_error("control request failed: " + path);
    }
    return result.body;
  }

  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int port_ = 0;
  platform::CurlHttpClient client_;
};

}  // namespace testsupport

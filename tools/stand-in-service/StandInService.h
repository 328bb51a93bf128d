#pragma once

#include "Fault.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace standin {

// The stand-in for the remote writing service: the service's endpoints with deterministic
// answers, faults queued per path, a log of every request received, and the control
// endpoints that tests use ("/control/...").
class StandInService {
 public:
  // `videos`: a folder whose files answer the onboarding video paths by their names (such as
  // "tripple-space-translation.mp4"); a path whose file is not there, or no folder, gets the
  // smallest MP4 start, which no player can play.
  explicit StandInService(std::string videos = {});

  // Binds to `host`:`port` (0 picks a free port); returns the port, or -1.
  int bind(const std::string& host, int port);
  // Serves until the process ends.
  void serve();

 private:
  void installRoutes();
  void answerProcessText(const httplib::Request& request, httplib::Response& response);
  void answerGetUser(const httplib::Request& request, httplib::Response& response);
  void answerGetUserSubInfo(const httplib::Request& request, httplib::Response& response);

  void record(const httplib::Request& request);
  std::optional<Fault> nextFault(const std::string& path);
  // Waits for one POST /control/release; false when none came within ten seconds.
  bool awaitRelease();

  std::string videos_;
  httplib::Server server_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::size_t releases_ = 0;
  std::map<std::string, std::deque<Fault>> faults_;
  nlohmann::json requests_ = nlohmann::json::array();
};

}  // namespace standin

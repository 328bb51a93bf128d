#include "StandInService.h"
#include "tools/support/CommandLine.h"

#include <cstdio>
#include <string>

// Usage: stand-in-service [--host 127.0.0.1] [--port 0] [--videos FOLDER]
// Prints "stand-in-service listening on http://HOST:PORT" once the port is bound (port 0 picks
// a free one), then serves until killed.
int main(int argc, char** argv) {
  CLI::App app("The loopback stand-in for the remote writing service.", "stand-in-service");
  std::string host = "127.0.0.1";
  int port = 0;
  app.add_option("--host", host, "Address to listen on")->capture_default_str();
  app.add_option("--port", port, "Port to listen on; 0 picks a free one")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  std::string videos;
  app.add_option("--videos", videos, "Folder of the onboarding videos to serve, by file name");
  if (const auto status = toolsupport::parseCommandLine(app, argc, argv)) return *status;

  standin::StandInService service(videos);
  const int bound = service.bind(host, port);
  if (bound < 0) {
    std::fprintf(stderr, "stand-in-service: cannot listen on %s:%d\n", host.c_str(), port);
    return 1;
  }
  std::printf("stand-in-service listening on http://%s:%d\n", host.c_str(), bound);
  std::fflush(stdout);
  service.serve();
  return 0;
}

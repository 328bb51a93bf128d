#include "StandInService.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// Usage: stand-in-service [--host 127.0.0.1] [--port 0]
// Prints "stand-in-service listening on http://HOST:PORT" once the port is bound (port 0 picks
// a free one), then serves until killed.
int main(int argc, char** argv) {
  std::string host = "127.0.0.1";
  int port = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--host") == 0) host = argv[i + 1];
    if (std::strcmp(argv[i], "--port") == 0) port = std::atoi(argv[i + 1]);
  }
  standin::StandInService service;
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

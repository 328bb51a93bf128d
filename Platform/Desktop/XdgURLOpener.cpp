#include "Platform/Desktop/XdgURLOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <array>

extern char** environ;

namespace platform {

bool XdgURLOpener::openURL(const std::string& url) {
  std::string program = "xdg-open";
  std::array<char*, 3> arguments{program.data(), const_cast<char*>(url.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
    return false;
  }
  // xdg-open returns as soon as it has handed the URL on; reap it so that no zombie stays.
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform

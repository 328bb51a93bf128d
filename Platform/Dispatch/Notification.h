#pragma once

#include <map>
#include <optional>
#include <string>

namespace platform {

// One posted notification: its name, the optional object (a string, as this system's
// notifications carry), and the user-information map.
struct Notification {
  std::string name;
  std::optional<std::string> object;
  std::map<std::string, std::string> userInfo;
};

}  // namespace platform

#pragma once

#include <string>

namespace quellorin {

// Names the update feed for the software updater: the service's base address followed by
// "/Appcast.xml". Holds no state.
class UpdaterDelegate {
 public:
  std::string feedURLStringForUpdater() const;
};

}  // namespace quellorin

#pragma once

#include <string>

namespace platform {

// Opens a URL with the user's default handler for it (a browser for web addresses).
class URLOpener {
 public:
  virtual ~URLOpener() = default;
  // Answers false when the URL could not be handed over. Called on the main thread, where the
  // views that follow links live; implementations need not be thread-safe.
  virtual bool openURL(const std::string& url) = 0;
};

}  // namespace platform

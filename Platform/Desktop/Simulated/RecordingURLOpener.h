#pragma once

#include <string>
#include <vector>

#include "Platform/Desktop/URLOpener.h"

namespace platform {

// Keeps every URL it is asked to open, and opens none; for tests.
class RecordingURLOpener final : public URLOpener {
 public:
  bool openURL(const std::string& url) override {
    opened_.push_back(url);
    return true;
  }
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::vector<std::string> opened_;
};

}  // namespace platform

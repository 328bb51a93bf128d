#pragma once

#include "Platform/Desktop/URLOpener.h"

namespace platform {

// Hands URLs to `xdg-open` and waits only for it to hand them on.
class XdgURLOpener final : public URLOpener {
 public:
  bool openURL(const std::string& url) override;
};

}  // namespace platform

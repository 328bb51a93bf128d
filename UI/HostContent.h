#pragma once

#include <memory>

#include "Platform/Desktop/WindowContent.h"
#include "UI/HostDisplay.h"

namespace ui {

class Host;

// A window's content that is a host's view tree: on a desktop with real windows it shows
// itself in the window's page surface through a HostDisplay while it is attached.
// Main thread.
class HostContent : public platform::WindowContent {
 public:
  explicit HostContent(std::shared_ptr<Host> host, HostDisplay::Options options = {});
  ~HostContent() override;

  const std::shared_ptr<Host>& host() const { return host_; }
  // The display while attached to a real window; null otherwise.
  const std::shared_ptr<HostDisplay>& display() const { return display_; }

  void attachSurface(std::shared_ptr<platform::PageSurface> surface) override;

 protected:
  // For contents that make their host after the base.
  HostContent() = default;
  void setHost(std::shared_ptr<Host> host, HostDisplay::Options options = {});

 private:
  std::shared_ptr<Host> host_;
  HostDisplay::Options options_;
  std::shared_ptr<HostDisplay> display_;
};

}  // namespace ui

#pragma once

#include <memory>
#include <utility>

#include "Platform/Desktop/WindowContent.h"
#include "UI/Host.h"

namespace ui {

// A window's content that is a view tree: the window owns the host that evaluates and draws it.
class HostedWindowContent final : public platform::WindowContent {
 public:
  explicit HostedWindowContent(std::shared_ptr<Host> host) : host_(std::move(host)) {}
  const std::shared_ptr<Host>& host() const { return host_; }

 private:
  std::shared_ptr<Host> host_;
};

}  // namespace ui

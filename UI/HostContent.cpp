#include "UI/HostContent.h"

#include "UI/Host.h"

namespace ui {

HostContent::HostContent(std::shared_ptr<Host> host, HostDisplay::Options options) {
  setHost(std::move(host), std::move(options));
}

HostContent::~HostContent() = default;

void HostContent::setHost(std::shared_ptr<Host> host, HostDisplay::Options options) {
  host_ = std::move(host);
  options_ = std::move(options);
}

void HostContent::attachSurface(std::shared_ptr<platform::PageSurface> surface) {
  display_.reset();
  if (surface && host_) display_ = HostDisplay::make(host_, std::move(surface), options_);
}

}  // namespace ui

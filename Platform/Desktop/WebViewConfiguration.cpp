#include "Platform/Desktop/WebViewConfiguration.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

void WebViewConfiguration::setURLSchemeHandler(std::shared_ptr<URLSchemeHandler> handler,
                                               const std::string& scheme) {
  handlers_[lowercased(scheme)] = std::move(handler);
}

URLSchemeHandler* WebViewConfiguration::urlSchemeHandler(const std::string& scheme) const {
  auto found = handlers_.find(lowercased(scheme));
  return found != handlers_.end() ? found->second.get() : nullptr;
}

}  // namespace platform

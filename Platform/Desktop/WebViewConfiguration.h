#pragma once

#include <map>
#include <memory>
#include <string>

namespace platform {

// Answers the loads of one custom URL scheme inside a web view (the page's own resources).
class URLSchemeHandler {
 public:
  virtual ~URLSchemeHandler() = default;
};

// What a web view is made with: the handlers of custom URL schemes, by scheme name
// (compared without regard to case).
class WebViewConfiguration {
 public:
  void setURLSchemeHandler(std::shared_ptr<URLSchemeHandler> handler, const std::string& scheme);
  // The handler of `scheme`, or null.
  URLSchemeHandler* urlSchemeHandler(const std::string& scheme) const;

 private:
  std::map<std::string, std::shared_ptr<URLSchemeHandler>> handlers_;
};

}  // namespace platform

#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Core/Geometry.h"
#include "Platform/Desktop/NavigationDelegate.h"
#include "Platform/Desktop/WebViewConfiguration.h"
#include "Platform/Desktop/WebViewHost.h"

namespace platform {

// A web view. On this platform the page is not rendered in-process: the view's host records
// what it is asked to do and plays the engine's part (see WebViewHost); the pages themselves
// are checked in a real browser by the browser tests. Main thread only.
class WebView {
 public:
  using ScriptCompletion =
      std::function<void(std::optional<std::string> result, std::optional<std::string> error)>;

  WebView(Rect frame, std::shared_ptr<WebViewConfiguration> configuration);
  virtual ~WebView() = default;
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;

  Rect frame() const { return frame_; }
  const WebViewConfiguration& configuration() const { return *configuration_; }
  // The delegate is not owned; null removes it.
  void setNavigationDelegate(NavigationDelegate* delegate) { delegate_ = delegate; }
  NavigationDelegate* navigationDelegate() const { return delegate_; }

  // Loads a local file, letting the page read the files under `readAccess`.
  void loadFileURL(const std::filesystem::path& file, const std::filesystem::path& readAccess);
  // Loads `html` as a page whose relative addresses resolve against `baseURL` (a folder; none:
  // the page has no base and resolves nothing relative).
  void loadHTMLString(const std::string& html, const std::optional<std::filesystem::path>& baseURL);
  void evaluateJavaScript(const std::string& script, const ScriptCompletion& completion);

  WebViewHost& host() { return host_; }
  const WebViewHost& host() const { return host_; }

 private:
  Rect frame_;
  std::shared_ptr<WebViewConfiguration> configuration_;
  NavigationDelegate* delegate_ = nullptr;
  WebViewHost host_{*this};
};

}  // namespace platform

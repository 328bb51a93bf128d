#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

class WebView;

enum class NavigationType { linkActivated, formSubmitted, backForward, reload, formResubmitted, other };
enum class NavigationActionPolicy { cancel, allow };
enum class NavigationResponsePolicy { cancel, allow };

// A navigation a web view is about to make; `url` is absent for a request without one.
struct NavigationAction {
  NavigationType navigationType = NavigationType::other;
  std::optional<std::string> url;
};

// The answer a navigation received, before the page is shown.
struct NavigationResponse {
  std::string url;
};

// Decides a web view's navigations and hears when pages finish loading. A web view does not own
// its delegate. Decision handlers may be called at once or later, once each.
class NavigationDelegate {
 public:
  virtual ~NavigationDelegate() = default;
  virtual void decidePolicyForNavigationAction(
      WebView& webView, const NavigationAction& action,
      const std::function<void(NavigationActionPolicy)>& decisionHandler) = 0;
  virtual void decidePolicyForNavigationResponse(
      WebView& webView, const NavigationResponse& response,
      const std::function<void(NavigationResponsePolicy)>& decisionHandler) = 0;
  virtual void didFinishNavigation(WebView& webView) = 0;
};

}  // namespace platform

#include "Platform/Desktop/WebViewHost.h"

#include "Platform/Desktop/WebView.h"

namespace platform {

void WebViewHost::recordFileLoad(const std::filesystem::path& file, const std::filesystem::path& readAccess) {
  fileLoads_.push_back({file, readAccess});
}

void WebViewHost::navigate(NavigationAction action) {
  std::size_t index = navigations_.size();
  navigations_.push_back({action, std::nullopt});
  auto decide = [this, index](NavigationActionPolicy policy) {
    Navigation& navigation = navigations_[index];
    if (navigation.policy) {
      return;  // a decision handler counts once
    }
    navigation.policy = policy;
    if (policy == NavigationActionPolicy::allow && navigation.action.url) {
      pendingURL_ = navigation.action.url;
    }
  };
  if (NavigationDelegate* delegate = view_.navigationDelegate()) {
    delegate->decidePolicyForNavigationAction(view_, action, decide);
  } else {
    decide(NavigationActionPolicy::allow);
  }
}

bool WebViewHost::finishLoading() {
  if (!pendingURL_) {
    return false;
  }
  std::string url = *pendingURL_;
  pendingURL_.reset();
  bool allowed = true;
  if (NavigationDelegate* delegate = view_.navigationDelegate()) {
    delegate->decidePolicyForNavigationResponse(view_, {url}, [&allowed](NavigationResponsePolicy policy) {
      allowed = policy == NavigationResponsePolicy::allow;
    });
  }
  if (!allowed) {
    return false;
  }
  currentURL_ = url;
  ++finishedLoads_;
  if (NavigationDelegate* delegate = view_.navigationDelegate()) {
    delegate->didFinishNavigation(view_);
  }
  return true;
}

void WebViewHost::clickLink(const std::string& url) { navigate({NavigationType::linkActivated, url}); }

void WebViewHost::reload() { navigate({NavigationType::reload, currentURL_}); }

WebViewHost::ScriptAnswer WebViewHost::evaluate(const std::string& script) {
  evaluatedScripts_.push_back(script);
  return answerer_ ? answerer_(script) : ScriptAnswer{};
}

}  // namespace platform

#include "Platform/Desktop/WebViewHost.h"

#include "Platform/Desktop/WebView.h"

namespace platform {

void WebViewHost::recordFileLoad(const std::filesystem::path& file, const std::filesystem::path& readAccess) {
  fileLoads_.push_back({file, readAccess});
}

void WebViewHost::recordHTMLLoad(const std::string& html,
                                 const std::optional<std::filesystem::path>& baseURL) {
  htmlLoads_.push_back({html, baseURL});
}

void WebViewHost::navigate(NavigationAction action) {
  std::size_t index = navigations_.size();
  navigations_.push_back({action, std::nullopt});
  auto decide = [weak = std::weak_ptr(self_), index](NavigationActionPolicy policy) {
    const auto host = weak.lock();
    if (!host) return;
    Navigation& navigation = host->navigations_[index];
    if (navigation.policy) {
      return;  // a decision handler counts once
    }
    navigation.policy = policy;
    if (policy == NavigationActionPolicy::allow && navigation.action.url) {
      host->pendingURL_ = navigation.action.url;
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
  struct Decision {
    bool decided = false;
    bool finished = false;
  };
  const auto decision = std::make_shared<Decision>();
  auto finish = [weak = std::weak_ptr(self_), url, decision](NavigationResponsePolicy policy) {
    const auto host = weak.lock();
    if (!host || decision->decided) {
      return;  // the view is gone, or a decision handler counts once
    }
    decision->decided = true;
    if (policy != NavigationResponsePolicy::allow) {
      return;
    }
    host->currentURL_ = url;
    ++host->finishedLoads_;
    decision->finished = true;
    if (NavigationDelegate* delegate = host->view_.navigationDelegate()) {
      delegate->didFinishNavigation(host->view_);
    }
  };
  if (NavigationDelegate* delegate = view_.navigationDelegate()) {
    delegate->decidePolicyForNavigationResponse(view_, {url}, finish);
  } else {
    finish(NavigationResponsePolicy::allow);
  }
  return decision->finished;  // the delegate may have destroyed the view meanwhile
}

void WebViewHost::clickLink(const std::string& url) { navigate({NavigationType::linkActivated, url}); }

void WebViewHost::reload() { navigate({NavigationType::reload, currentURL_}); }

WebViewHost::ScriptAnswer WebViewHost::evaluate(const std::string& script) {
  evaluatedScripts_.push_back(script);
  return answerer_ ? answerer_(script) : ScriptAnswer{};
}

}  // namespace platform

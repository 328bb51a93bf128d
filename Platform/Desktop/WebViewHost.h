#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Desktop/NavigationDelegate.h"

namespace platform {

class WebView;

// The simulated side of one web view: it records what the view was asked to do (file loads with
// their read access, pages loaded from text with their base, navigations with the decisions taken, evaluated
// scripts) and lets a test act as the page and the engine: finish loads, click links, reload, answer scripts.
// Used on the main thread only, like the view.
class WebViewHost {
 public:
  struct FileLoad {
    std::filesystem::path file;
    std::filesystem::path readAccess;
  };
  struct HTMLLoad {
    std::string html;
    std::optional<std::filesystem::path> baseURL;
  };
  struct Navigation {
    NavigationAction action;
    std::optional<NavigationActionPolicy> policy;  // none while the delegate has not decided
  };
  struct ScriptAnswer {
    std::optional<std::string> result;
    std::optional<std::string> error;
  };
  using ScriptAnswerer = std::function<ScriptAnswer(const std::string& script)>;

  explicit WebViewHost(WebView& view) : view_(view) {}
  WebViewHost(const WebViewHost&) = delete;
  WebViewHost& operator=(const WebViewHost&) = delete;

  const std::vector<FileLoad>& fileLoads() const { return fileLoads_; }
  const std::vector<HTMLLoad>& htmlLoads() const { return htmlLoads_; }
  const std::vector<Navigation>& navigations() const { return navigations_; }
  const std::vector<std::string>& evaluatedScripts() const { return evaluatedScripts_; }
  // The URL of the page shown or loading, or empty before the first navigation.
  const std::string& currentURL() const { return currentURL_; }
  bool isLoading() const { return pendingURL_.has_value(); }
  std::size_t finishedLoads() const { return finishedLoads_; }

  // How scripts are answered; without one, every script answers no result and no error.
  void answerScripts(ScriptAnswerer answerer) { answerer_ = std::move(answerer); }

  // The engine finishes the navigation under way: the response is decided, then the delegate
  // hears that it finished. Answers whether it finished before this returned: false when nothing
  // was loading, when the response was refused, or when the delegate decides later (the load
  // then finishes when it does).
  bool finishLoading();
  // The user clicks a link to `url` in the page.
  void clickLink(const std::string& url);
  void reload();

  // Called by the view.
  void recordFileLoad(const std::filesystem::path& file, const std::filesystem::path& readAccess);
  void recordHTMLLoad(const std::string& html, const std::optional<std::filesystem::path>& baseURL);
  void navigate(NavigationAction action);
  ScriptAnswer evaluate(const std::string& script);

 private:
  WebView& view_;
  std::vector<FileLoad> fileLoads_;
  std::vector<HTMLLoad> htmlLoads_;
  std::vector<Navigation> navigations_;
  std::vector<std::string> evaluatedScripts_;
  ScriptAnswerer answerer_;
  std::string currentURL_;
  std::optional<std::string> pendingURL_;
  std::size_t finishedLoads_ = 0;
  // Owns nothing: the decision handlers the delegate may keep hold it weakly, so one called
  // after the view is gone finds it expired and does nothing. Main thread only, so the host
  // cannot go while a handler runs, except by that handler's own doing.
  const std::shared_ptr<WebViewHost> self_{this, [](WebViewHost*) {}};
};

}  // namespace platform

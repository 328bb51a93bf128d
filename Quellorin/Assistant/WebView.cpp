#include "Quellorin/Assistant/WebView.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Environment.h"
#include "Platform/Core/Log.h"
#include "Platform/Defaults/UserDefaults.h"

namespace quellorin {

namespace {

// In standards mode: the body's scroll height is then its content's, not at least the view's, so a
// shorter answer gives a smaller height.
constexpr const char* pageStart = "<!DOCTYPE html>\n<html>\n<head>\n\n";
// What the page ends with when its template cannot be read: the answer still shows, unhighlighted.
constexpr const char* bareTemplate =
    "</head>\n<body id=\"quellorin\">\n<p>Loading...</p>\n</body>\n</html>\n";
// The diagram keyword that the renderer is not asked to handle. Its list entry goes whole: an empty
// entry would be a prefix of every text and hand every unhighlighted code block to the renderer.
constexpr std::string_view droppedChartType = "quadrantChart";

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string readTemplate() {
  auto path = platform::Bundle::main()->path("AnswerPage", "html");
  if (path) {
    std::ifstream file(*path, std::ios::binary);
    std::ostringstream text;
    if (file && text << file.rdbuf()) return text.str();
  }
  platform::log("[error] The answer page template \"AnswerPage.html\" cannot be read from the resources");
  return bareTemplate;
}

}  // namespace

void WebView::Coordinator::decidePolicyForNavigationAction(
    platform::WebView&, const platform::NavigationAction&,
    const std::function<void(platform::NavigationActionPolicy)>& decisionHandler) {
  decisionHandler(platform::NavigationActionPolicy::allow);
}

void WebView::Coordinator::decidePolicyForNavigationResponse(
    platform::WebView&, const platform::NavigationResponse&,
    const std::function<void(platform::NavigationResponsePolicy)>& decisionHandler) {
  decisionHandler(platform::NavigationResponsePolicy::allow);
}

void WebView::Coordinator::didFinishNavigation(platform::WebView&) {}

WebView::WebView(std::string htmlContent, HeightChange onHeightChange, std::string webViewStyle)
    : htmlContent_(std::move(htmlContent)),
      onHeightChange_(std::move(onHeightChange)),
      webViewStyle_(std::move(webViewStyle)) {}

WebView::~WebView() {
  // The web view may outlive this (its host keeps it until the next render): it must not keep
  // calling a delegate that is about to go.
  if (auto webView = webView_.lock(); webView && webView->navigationDelegate() == coordinator_.get())
    webView->setNavigationDelegate(nullptr);
}

std::shared_ptr<WebView::Coordinator> WebView::makeCoordinator() {
  return std::make_shared<Coordinator>(weak_from_this());
}

std::shared_ptr<platform::WebView> WebView::makeWebView(platform::Rect frame) {
  auto webView = std::make_shared<platform::WebView>(frame, nullptr);
  if (auto previous = webView_.lock(); previous && previous->navigationDelegate() == coordinator_.get())
    previous->setNavigationDelegate(nullptr);
  coordinator_ = makeCoordinator();
  webView_ = webView;
  webView->setNavigationDelegate(coordinator_.get());
  std::optional<std::filesystem::path> baseURL;
  if (const auto bundle = platform::Bundle::main(); bundle && !bundle->resourcePath().empty())
    baseURL = bundle->resourcePath();
  webView->loadHTMLString(pageText(webViewStyle_), baseURL);
  return webView;
}

void WebView::updateWebView(const std::shared_ptr<platform::WebView>& webView) {
  const auto defaults = platform::Environment::current()->userDefaults;
  const std::string content = htmlContent_.empty()
                                  ? placeholder(defaults ? defaults->string("Language") : std::nullopt)
                                  : htmlContent_;
  // Measured once the push has run, whatever it answered.
  webView->evaluateJavaScript(contentScript(content),
                              [weak = weak_from_this(), view = std::weak_ptr(webView)](auto&&, auto&&) {
                                auto self = weak.lock();
                                auto target = view.lock();
                                if (self && target) self->measure(target);
                              });
}

void WebView::measure(const std::shared_ptr<platform::WebView>& webView) {
  webView->evaluateJavaScript(measureScript, [weak = weak_from_this(), view = std::weak_ptr(webView)](
                                                 const std::optional<std::string>& result, auto&&) {
    auto self = weak.lock();
    auto target = view.lock();
    if (self && target) self->heightMeasured(target, result);
  });
}

void WebView::heightMeasured(const std::shared_ptr<platform::WebView>& webView,
                             const std::optional<std::string>& result) {
  if (!result) return;
  double height = 0;
  try {
    std::size_t used = 0;
    height = std::stod(*result, &used);
    if (used != result->size() || !std::isfinite(height)) return;
  } catch (const std::exception&) {
    return;  // not a number
  }
  if (height == previousHeight_) return;
  previousHeight_ = height;
  if (onHeightChange_) onHeightChange_(height);
  webView->evaluateJavaScript(scrollScript, nullptr);
}

std::string WebView::pageText(const std::string& webViewStyle) {
  return pageText(webViewStyle, readTemplate());
}

std::string WebView::pageText(const std::string& webViewStyle, const std::string& pageTemplate) {
  std::string page = pageStart + webViewStyle + pageTemplate;
  replaceAll(page, "\"" + std::string(droppedChartType) + "\", ", "");
  replaceAll(page, droppedChartType, "");
  return page;
}

std::string WebView::placeholder(const std::optional<std::string>& language) {
  const std::string code = language.value_or("en");
  if (code == "en") return "<p>Loading...</p>";
  if (code == "jp") return "<p>読み込み中...</p>";
  if (code == "fr") return "<p>Chargement...</p>";
  return "<p>加载中...</p>";
}

std::string WebView::contentScript(const std::string& content) {
  std::string script = "document.body.innerHTML = `";
  script.reserve(script.size() + content.size() + content.size() / 16 + 2);
  for (std::size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\\' || c == '`' || (c == '$' && i + 1 < content.size() && content[i + 1] == '{'))
      script += '\\';
    script += c;
  }
  script += "`;";
  return script;
}

}  // namespace quellorin

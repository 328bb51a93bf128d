#include "Platform/Desktop/WebView.h"

namespace platform {

WebView::WebView(Rect frame, std::shared_ptr<WebViewConfiguration> configuration)
    : frame_(frame),
      configuration_(configuration ? std::move(configuration) : std::make_shared<WebViewConfiguration>()) {}

void WebView::loadFileURL(const std::filesystem::path& file, const std::filesystem::path& readAccess) {
  host_.recordFileLoad(file, readAccess);
  host_.navigate({NavigationType::other, "file://" + file.string()});
}

void WebView::loadHTMLString(const std::string& html, const std::optional<std::filesystem::path>& baseURL) {
  host_.recordHTMLLoad(html, baseURL);
  host_.navigate({NavigationType::other, baseURL ? "file://" + baseURL->string() + "/" : "about:blank"});
}

void WebView::evaluateJavaScript(const std::string& script, const ScriptCompletion& completion) {
  WebViewHost::ScriptAnswer answer = host_.evaluate(script);
  if (completion) {
    completion(answer.result, answer.error);
  }
}

}  // namespace platform

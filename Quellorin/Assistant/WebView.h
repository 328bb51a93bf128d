#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Core/Geometry.h"
#include "Platform/Desktop/NavigationDelegate.h"
#include "Platform/Desktop/WebView.h"
#include "UI/WebViewContent.h"

namespace quellorin {

// The answer web view: the content of a web view node (ui::WebViewSlot) that shows one answer's
// HTML in the answer page.
//
// - makeWebView() makes the platform web view and loads the page once: the style block, then
//   the page template of the resources ("AnswerPage.html"), based at the resources folder, so
//   the page's "../Resources/" scripts resolve there.
// - updateWebView() pushes the content into the page's body by script on every update (the
//   placeholder of the interface language while the content is empty), then measures the
//   body's height; a height that differs from the last one reported goes to `onHeightChange`,
//   and the page is scrolled to the bottom.
//
// Nothing waits for the page load: a push made before the page is ready is lost and the next
// update pushes again. Threads: main queue only; script completions may come at once or later,
// and hold this object weakly (made with std::make_shared), so one that comes after it is gone
// does nothing.
class WebView final : public ui::WebViewContent, public std::enable_shared_from_this<WebView> {
 public:
  // Told the page's content height, in points.
  using HeightChange = std::function<void(double height)>;

  // The web view's navigation delegate: lets every navigation through and does nothing when one
  // finishes. Holds its parent weakly; the parent owns it.
  class Coordinator final : public platform::NavigationDelegate {
   public:
    explicit Coordinator(std::weak_ptr<WebView> parent) : parent_(std::move(parent)) {}
    std::shared_ptr<WebView> parent() const { return parent_.lock(); }

    void decidePolicyForNavigationAction(
        platform::WebView& webView, const platform::NavigationAction& action,
        const std::function<void(platform::NavigationActionPolicy)>& decisionHandler) override;
    void decidePolicyForNavigationResponse(
        platform::WebView& webView, const platform::NavigationResponse& response,
        const std::function<void(platform::NavigationResponsePolicy)>& decisionHandler) override;
    void didFinishNavigation(platform::WebView& webView) override;

   private:
    std::weak_ptr<WebView> parent_;
  };

  // `webViewStyle` is a style element placed at the top of the page's head.
  WebView(std::string htmlContent, HeightChange onHeightChange, std::string webViewStyle);
  ~WebView() override;

  // The HTML that becomes the body's inner HTML at the next update; the owner changes it when
  // the answer changes (the page is updated when the host next renders).
  void setHTMLContent(std::string htmlContent) { htmlContent_ = std::move(htmlContent); }
  const std::string& htmlContent() const { return htmlContent_; }
  const std::string& webViewStyle() const { return webViewStyle_; }
  // The last height reported through onHeightChange; 0 before the first.
  double previousHeight() const { return previousHeight_; }

  std::shared_ptr<Coordinator> makeCoordinator();
  std::shared_ptr<platform::WebView> makeWebView(platform::Rect frame) override;
  void updateWebView(const std::shared_ptr<platform::WebView>& webView) override;

  // The page loaded, for `webViewStyle`, with the template of the main bundle.
  static std::string pageText(const std::string& webViewStyle);
  // The same over a given template text (the part after the style block).
  static std::string pageText(const std::string& webViewStyle, const std::string& pageTemplate);
  // The placeholder shown while there is no content, for the stored "Language" (none: "en").
  static std::string placeholder(const std::optional<std::string>& language);
  // The script that makes the body's inner HTML exactly `content`.
  static std::string contentScript(const std::string& content);

  static constexpr const char* measureScript = "document.body.scrollHeight";
  static constexpr const char* scrollScript = "window.scrollTo(0, document.body.scrollHeight);";

 private:
  void measure(const std::shared_ptr<platform::WebView>& webView);
  void heightMeasured(const std::shared_ptr<platform::WebView>& webView,
                      const std::optional<std::string>& result);

  std::string htmlContent_;
  HeightChange onHeightChange_;
  std::string webViewStyle_;
  double previousHeight_ = 0;
  std::shared_ptr<Coordinator> coordinator_;
  // The view whose delegate the coordinator is, so that it can be unset when this goes first.
  std::weak_ptr<platform::WebView> webView_;
};

}  // namespace quellorin

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Quellorin/Assistant/WebView.h"
#include "UI/View.h"

namespace quellorin {

// The card that shows the answer web view: the style block of the answer page, the background
// "contentBgColor", corners rounded at 6 points and a faint shadow, and a height that follows the
// page's content height up to `maximumHeight` (a longer answer scrolls inside the card).
//
// Made with std::make_shared and kept by its parent as a member (ui::Embed), so that the web view
// and the height last across renders. The parent hands each new answer's HTML to
// setHTMLContent() (from its body(), or wherever the answer changes); the page is updated at the
// host's next render. Main queue only.
class DetachedWebView final : public ui::View {
 public:
  static constexpr double maximumHeight = 300;

  struct Options {
    // The web view node's id: the host keeps one web view per id.
    std::string id = "answerWebView";
    // Told the card's new height after it changed (the parent measures its panel again).
    std::function<void(double height)> onHeightChange = nullptr;
  };

  // `webviewHeight` is the starting height (the answer panel gives 42).
  DetachedWebView(std::string htmlContent, double webviewHeight, Options options);
  DetachedWebView(std::string htmlContent, double webviewHeight)
      : DetachedWebView(std::move(htmlContent), webviewHeight, Options{}) {}

  void setHTMLContent(std::string htmlContent);
  const std::string& htmlContent() const { return webView_->htmlContent(); }
  double webviewHeight() const { return *webviewHeight_; }
  const std::string& id() const { return id_; }
  const std::shared_ptr<WebView>& webView() const { return webView_; }

  ui::Node body() override;

  // The style element the card's page starts with.
  static const std::string& styleBlock();

 private:
  ui::State<double> webviewHeight_;
  std::string id_;
  std::shared_ptr<WebView> webView_;
};

}  // namespace quellorin

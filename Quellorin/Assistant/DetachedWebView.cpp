#include "Quellorin/Assistant/DetachedWebView.h"

#include <algorithm>

namespace quellorin {

DetachedWebView::DetachedWebView(std::string htmlContent, double webviewHeight, Options options)
    : webviewHeight_(*this, webviewHeight), id_(std::move(options.id)) {
  // The state handle owns its cell, so the callback stays safe after the card is gone.
  auto heightUpdate = [height = webviewHeight_, told = std::move(options.onHeightChange)](double reported) {
    if (reported == *height) return;
    const double capped = std::min(reported, maximumHeight);
    if (capped == *height) return;
    height.set(capped);
    if (told) told(capped);
  };
  webView_ = std::make_shared<WebView>(std::move(htmlContent), std::move(heightUpdate), styleBlock());
}

void DetachedWebView::setHTMLContent(std::string htmlContent) {
  if (htmlContent == webView_->htmlContent()) return;
  webView_->setHTMLContent(std::move(htmlContent));
  invalidate();
}

ui::Node DetachedWebView::body() {
  ui::Node node = ui::WebViewSlot(id_, *webviewHeight_, webView_);
  node.frame(std::nullopt, *webviewHeight_)
      .background(ui::Color::named("contentBgColor"))
      .cornerRadius(6)
      .shadow({ui::Color::black().opacity(0.06), 2, 0, 1});
  return node;
}

const std::string& DetachedWebView::styleBlock() {
  static const std::string style = R"(<style>
    body {
        font-family: -apple-system, BlinkMacSystemFont, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
        font-size: 14px;
        line-height: 1.4;
        margin: 0;
    }
    p {
        margin: 0.5em;
    }
    img {
        max-width: 100%;
        max-height: 200px;
    }
    h1, h2, h3, h4, h5, h6 {
        font-weight: bold;
        margin: 0.5em;
    }
    a {
        color: #007AFF;
        text-decoration: none;
    }
    a:hover {
        text-decoration: underline;
    }
    ul, ol {
        margin: 0 0 1em 1em;
        padding-left: 1.5em;
    }
    ul {
        list-style-type: disc;
    }
    ol {
        list-style-type: decimal;
    }
    code {
        font-family: Menlo, Monaco, Consolas, "Courier New", monospace;
        background-color: #f8f8f8;
        padding: 0.2em 0.4em;
        border-radius: 3px;
        color: #333;
    }
    @media (prefers-color-scheme: dark) {
        body {
            background-color: #1F1F1F;
            color: #d1d1d1;
        }
        a {
            color: #9CDCFE;
        }
        code {
            background-color: #1F1F1F;
        }
    }
    @media (prefers-color-scheme: light) {
        body {
            background-color: #ffffff;
            color: #333333;
        }
        a {
            color: #007AFF;
        }
        code {
            background-color: #ffffff;
            color: #333;
        }
    }
    .download-btn {
        position: absolute;
        top: 10px;
        right: 10px;
        background: #007AFF;
        color: white;
        border: none;
        padding: 5px;
        border-radius: 5px;
        cursor: pointer;
        z-index: 10;
    }
    .mermaid-container {
        position: relative;
        display: inline-block;
    }
    .mermaid-container:hover .download-btn {
        display: block;
    }
</style>
)";
  return style;
}

}  // namespace quellorin

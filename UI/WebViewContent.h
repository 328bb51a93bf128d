#pragma once

#include <memory>

#include "Platform/Core/Geometry.h"

namespace platform {
class WebView;
}

namespace ui {

// What a web view node (WebViewSlot) shows: the view that places the node supplies one, and the
// host that shows the tree brings it to life. The first render that shows a node with a given id
// makes the platform web view through makeWebView(); the host keeps that web view while the id
// stays in the tree and drops it when the id goes. After every render that shows the node, the
// host hands the web view to updateWebView() of the content object in the latest tree.
//
// Main queue only. The content must not assume that the web view outlives it, nor the reverse:
// the host owns the web view, the tree owns the content.
class WebViewContent {
 public:
  virtual ~WebViewContent() = default;
  // Makes the web view for a node laid out in `frame` and starts whatever it loads once.
  virtual std::shared_ptr<platform::WebView> makeWebView(platform::Rect frame) = 0;
  // Brings the web view up to date with this content.
  virtual void updateWebView(const std::shared_ptr<platform::WebView>& webView) = 0;
};

}  // namespace ui

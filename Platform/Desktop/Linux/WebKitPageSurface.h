#pragma once

#include <memory>
#include <string>

#include "Platform/Desktop/PageSurface.h"

namespace platform {

// A page surface in a WebKitGTK view. The page posts to the message handler named
// PageSurface::kMessageHandlerName (WebKit's own script message handlers); the window that
// holds the view offers its keys through offerKey() before GTK hands them to the page.
// Made, used and destroyed on the GTK thread (the main thread of the application).
class WebKitPageSurface final : public PageSurface, public std::enable_shared_from_this<WebKitPageSurface> {
 public:
  struct Options {
    bool transparent = false;  // the page's blank parts show what is behind the window
  };
  static std::shared_ptr<WebKitPageSurface> make(Options options);
  ~WebKitPageSurface() override;
  WebKitPageSurface(const WebKitPageSurface&) = delete;
  WebKitPageSurface& operator=(const WebKitPageSurface&) = delete;

  void showPage(const std::string& html) override;
  void runScript(const std::string& script) override;
  void setKeyHandler(KeyHandler handler) override { keyHandler_ = std::move(handler); }
  void setMessageHandler(MessageHandler handler) override { messageHandler_ = std::move(handler); }

  // The WebKitWebView (a GtkWidget*), owned by this object; the window packs it.
  void* widget() const { return view_; }
  // What the key handler answers; false without one.
  bool offerKey(const Key& key);
  // Called from WebKit's signal: hands one message to the handler.
  void receive(const std::string& json);

 private:
  explicit WebKitPageSurface(Options options);

  Options options_;
  void* view_ = nullptr;  // WebKitWebView*, one reference held
  KeyHandler keyHandler_;
  MessageHandler messageHandler_;
};

}  // namespace platform

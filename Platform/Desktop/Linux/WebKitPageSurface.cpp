#include "Platform/Desktop/Linux/WebKitPageSurface.h"

#include <webkit2/webkit2.h>

#include "Platform/Core/Log.h"

namespace platform {
namespace {

// The surface a signal is for; the box is freed with the connection.
using SurfaceBox = std::weak_ptr<WebKitPageSurface>;

void freeBox(gpointer data, GClosure*) { delete static_cast<SurfaceBox*>(data); }

// WebKit calls this from C: nothing may escape it.
void messageReceived(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
  try {
    const auto surface = static_cast<SurfaceBox*>(data)->lock();
    if (!surface) return;
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    char* json = jsc_value_to_json(value, 0);
    if (json == nullptr) return;
    std::string text(json);
    g_free(json);
    surface->receive(text);
  } catch (const std::exception& error) {
    log(std::string("view page: a message failed: ") + error.what());
  } catch (...) {
    log("view page: a message failed");
  }
}

void scriptFinished(GObject* view, GAsyncResult* result, gpointer) {
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error);
  if (value != nullptr) g_object_unref(value);
  if (error == nullptr) return;
  try {
    log(std::string("view page: a script failed: ") + error->message);
  } catch (...) {
    // Nothing more to do about a failed log line.
  }
  g_error_free(error);
}

}  // namespace

WebKitPageSurface::WebKitPageSurface(Options options) : options_(options) {}

std::shared_ptr<WebKitPageSurface> WebKitPageSurface::make(Options options) {
  std::shared_ptr<WebKitPageSurface> surface(new WebKitPageSurface(options));
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  // Connected before the handler is registered, so that no early message is lost.
  g_signal_connect_data(content, "script-message-received::quellorinView", G_CALLBACK(messageReceived),
                        new SurfaceBox(surface), freeBox, GConnectFlags(0));
  webkit_user_content_manager_register_script_message_handler(content, PageSurface::kMessageHandlerName);
  GtkWidget* view = webkit_web_view_new_with_user_content_manager(content);
  g_object_unref(content);
  g_object_ref_sink(view);
  WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
  webkit_settings_set_enable_developer_extras(settings, FALSE);
  webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
  if (options.transparent) {
    const GdkRGBA clear{0, 0, 0, 0};
    webkit_web_view_set_background_color(WEBKIT_WEB_VIEW(view), &clear);
  }
  surface->view_ = view;
  return surface;
}

WebKitPageSurface::~WebKitPageSurface() {
  auto* view = static_cast<GtkWidget*>(view_);
  if (view == nullptr) return;
  WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(view));
  g_signal_handlers_disconnect_matched(content, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                       reinterpret_cast<gpointer>(messageReceived), nullptr);
  gtk_widget_destroy(view);
  g_object_unref(view);
}

void WebKitPageSurface::showPage(const std::string& html) {
  // A file base lets the page use the application's images by their paths.
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(view_), html.c_str(), "file:///");
}

void WebKitPageSurface::runScript(const std::string& script) {
  webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view_), script.data(),
                                      static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
                                      scriptFinished, nullptr);
}

bool WebKitPageSurface::offerKey(const Key& key) {
  if (!keyHandler_) return false;
  // A copy: the handler may replace itself.
  const auto handler = keyHandler_;
  return handler(key);
}

void WebKitPageSurface::receive(const std::string& json) {
  if (!messageHandler_) return;
  const auto handler = messageHandler_;
  handler(json);
}

}  // namespace platform

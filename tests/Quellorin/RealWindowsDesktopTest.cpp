// The windows for real on an X server (run under Xvfb; see scripts/run-desktop-tests): GTK
// windows showing their view trees in WebKitGTK, the main queue run by the GLib loop of this
// thread, checked from the X server, with screenshots written beside the HTML renderer's.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Core/Environment.h"
#include "Platform/Defaults/UserDefaults.h"
#include "Platform/Desktop/Linux/GLibMainQueue.h"
#include "Platform/Desktop/Linux/LinuxDesktop.h"
#include "Platform/Desktop/Linux/LinuxScreens.h"
#include "Platform/Desktop/Linux/LinuxWindowPeer.h"
#include "Platform/Desktop/Linux/WebKitPageSurface.h"
#include "Platform/Desktop/Simulated/RecordingAlertPresenter.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"
#include "UI/HostContent.h"
#include "UI/Screenshot.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the declarations above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace quellorin {
namespace {

// What the floating window shows in these tests: the captured text, an editor and a button.
class SampleView : public ui::View {
 public:
  explicit SampleView(std::string captured) : captured_(*this, std::move(captured)) {}
  ui::State<std::string> prompt{*this, ""};
  ui::Node body() override {
    return ui::VStack({ui::Text(*captured_).id("captured").font(ui::Font::title()),
                       ui::TextField("prompt", "Ask anything", prompt.binding())})
        .padding(16)
        .background(ui::Color::named("windowBackgroundColor"))
        .cornerRadius(12);
  }
  void setCaptured(std::string text) { captured_.set(std::move(text)); }

 private:
  ui::State<std::string> captured_;
};

std::filesystem::path screenshots() { return std::filesystem::path(QUELLORIN_BINARY_DIR) / "screenshots"; }

// The X server's view of a GTK window: its place on the root window and its size.
struct XGeometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool viewable = false;
};

XGeometry geometryOf(GtkWidget* window) {
  XGeometry geometry;
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  if (gdkWindow == nullptr) return geometry;
  Display* display = GDK_DISPLAY_XDISPLAY(gdk_window_get_display(gdkWindow));
  const ::Window xid = GDK_WINDOW_XID(gdkWindow);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, xid, &attributes)) return geometry;
  ::Window child = 0;
  XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &geometry.x, &geometry.y, &child);
  geometry.width = attributes.width;
  geometry.height = attributes.height;
  geometry.viewable = attributes.map_state == IsViewable;
  return geometry;
}

class RealWindowsDesktop : public ::testing::Test {
 protected:
  RealWindowsDesktop() {
    // As the application runs WebKit (Environment::makeReal).
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
    environment_->userDefaults = platform::UserDefaults::inMemory();
    environment_->alertPresenter = std::make_shared<platform::RecordingAlertPresenter>();
    desktop_ = platform::installLinuxDesktop(*environment_, {.toolkitOnCallingThread = true});
    previous_ = platform::Environment::install(environment_);
    queueSource_ = std::make_unique<platform::GLibMainQueueSource>(environment_->mainQueue);
    // Bounds each blocking turn of the loop below, so conditions are looked at often.
    tick_ = g_timeout_add(
        5, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    windows_->setRootViewFactory([this](const std::string& text, bool, platform::Size size) {
      view_ = std::make_shared<SampleView>(text);
      content_ = std::make_shared<ui::HostContent>(
          ui::Host::make(view_, {.width = size.width, .colorScheme = {}}),
          ui::HostDisplay::Options{.title = "Quellorin", .measuredIds = {}});
      return content_;
    });
  }

  ~RealWindowsDesktop() override {
    g_source_remove(tick_);
    environment_->taskPool->waitUntilIdle();
    queueSource_.reset();
    platform::Environment::install(previous_);
  }

  // Turns the GLib loop (GTK, WebKit and the main queue) until `condition` holds; the web
  // process and the X server move on their own time, so this waits in real time.
  bool runUntil(const std::function<bool()>& condition, double limitSeconds = 20) {
    const gint64 giveUp = g_get_monotonic_time() + static_cast<gint64>(limitSeconds * 1e6);
    while (g_get_monotonic_time() < giveUp) {
      if (condition()) return true;
      g_main_context_iteration(nullptr, TRUE);
    }
    return condition();
  }

  // What `script` answers in the window's page, as text.
  std::optional<std::string> evaluate(const std::shared_ptr<platform::LinuxWindowPeer>& peer,
                                      const std::string& script) {
    struct Answer {
      bool done = false;
      std::optional<std::string> text;
    } answer;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(peer->surface()->widget()), script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* view, GAsyncResult* result, gpointer data) {
          auto* out = static_cast<Answer*>(data);
          JSCValue* value =
              webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
          if (value != nullptr) {
            char* text = jsc_value_to_string(value);
            out->text = text;
            g_free(text);
            g_object_unref(value);
          }
          out->done = true;
        },
        &answer);
    runUntil([&] { return answer.done; });
    return answer.text;
  }

  std::shared_ptr<platform::LinuxWindowPeer> peerOf(const platform::Window& window) {
    return std::dynamic_pointer_cast<platform::LinuxWindowPeer>(window.peer());
  }

  // The window as the X server shows it, into build/screenshots/<name>.png, and the HTML
  // renderer's picture of the same tree beside it (<name>-html.png).
  void screenshot(GtkWidget* window, const ui::Host& host, const std::string& name) {
    const auto geometry = geometryOf(window);
    std::filesystem::create_directories(screenshots());
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* pixels = nullptr;
    // WebKit paints on its own time after the page is ready: wait until the window shows more
    // than one colour.
    runUntil(
        [&] {
          if (pixels != nullptr) g_object_unref(pixels);
          pixels = gdk_pixbuf_get_from_window(root, geometry.x, geometry.y, geometry.width, geometry.height);
          return pixels != nullptr && !isOneColour(pixels);
        },
        10);
    ASSERT_NE(pixels, nullptr);
    EXPECT_FALSE(isOneColour(pixels)) << "the page never painted";
    EXPECT_TRUE(gdk_pixbuf_save(pixels, (screenshots() / (name + ".png")).c_str(), "png", nullptr, nullptr));
    g_object_unref(pixels);
    ui::screenshotHTML(
        ui::renderHTML(host.tree(),
                       {.colorScheme = ui::ColorScheme::light, .width = host.options().width, .title = name}),
        screenshots() / (name + "-html.png"),
        {.width = geometry.width, .height = geometry.height, .timeoutSeconds = 60});
  }

  static bool isOneColour(GdkPixbuf* pixels) {
    const guchar* data = gdk_pixbuf_get_pixels(pixels);
    const int stride = gdk_pixbuf_get_rowstride(pixels), channels = gdk_pixbuf_get_n_channels(pixels);
    for (int y = 0; y < gdk_pixbuf_get_height(pixels); ++y)
      for (int x = 0; x < gdk_pixbuf_get_width(pixels); ++x)
        for (int c = 0; c < channels; ++c)
          if (data[y * stride + x * channels + c] != data[c]) return false;
    return true;
  }

  std::shared_ptr<platform::Environment> environment_ = platform::Environment::makeSystemServices();
  platform::LinuxDesktop desktop_;
  std::shared_ptr<platform::Environment> previous_;
  std::unique_ptr<platform::GLibMainQueueSource> queueSource_;
  guint tick_ = 0;
  std::shared_ptr<SampleView> view_;
  std::shared_ptr<ui::HostContent> content_;
  std::shared_ptr<WindowService> windows_ =
      std::make_shared<WindowService>(std::make_shared<TextHandlingService>());
};

TEST_F(RealWindowsDesktop, TheFloatingWindowOpensBelowTheSelectionShowsItsTreeAndFollowsItsChanges) {
  windows_->showWindow("brave", true, 500, 700);
  const auto window = windows_->mainWindow();
  ASSERT_TRUE(window);
  const auto peer = peerOf(*window);
  ASSERT_TRUE(peer) << "a real window behind the floating one";
  auto* gtkWindow = static_cast<GtkWidget*>(peer->gtkWindow());
  ASSERT_TRUE(runUntil([&] { return content_->display() && content_->display()->isReady(); }))
      << "the page never said it was ready";
  ASSERT_TRUE(runUntil([&] { return geometryOf(gtkWindow).viewable; }));

  // Origin (500, 700 - 130 - 4) in screen coordinates, whose y grows upwards from the bottom
  // of the primary monitor; X11 counts from the top.
  const double screenHeight = desktop_.screens->screens().front().height;
  auto geometry = geometryOf(gtkWindow);
  EXPECT_EQ(geometry.x, 500);
  EXPECT_EQ(geometry.y, static_cast<int>(screenHeight) - 700 + 4);
  EXPECT_EQ(geometry.width, 600);
  EXPECT_EQ(geometry.height, 130);
  EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(gtkWindow)));
  EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(gtkWindow)));

  EXPECT_EQ(evaluate(peer, "document.getElementById('captured').textContent"), "brave");
  ASSERT_TRUE(runUntil([&] { return content_->host()->displayedHeight("").value_or(0) > 0; }))
      << "the page's height message reaches the host";
  screenshot(gtkWindow, *content_->host(), "desktop-floating-window");

  // A change replaces the changed node in place: the page is not loaded again.
  evaluate(peer, "window.sameDocument = true; 'ok'");
  const auto updates = content_->display()->updatesSent();
  view_->setCaptured("brave new world");
  ASSERT_TRUE(runUntil([&] { return content_->display()->updatesSent() > updates; }));
  ASSERT_TRUE(runUntil([&] {
    return evaluate(peer, "document.getElementById('captured').textContent") == "brave new world";
  }));
  EXPECT_EQ(evaluate(peer, "String(window.sameDocument)"), "true");

  // Growing keeps the top edge.
  windows_->resizeWindow(600, 300);
  ASSERT_TRUE(runUntil([&] { return geometryOf(gtkWindow).height == 300; }));
  geometry = geometryOf(gtkWindow);
  EXPECT_EQ(geometry.y, static_cast<int>(screenHeight) - 700 + 4);

  // A second show reuses the window and its web view, back at 130 points.
  windows_->showWindow("again", true, 100, 900);
  EXPECT_EQ(peerOf(*windows_->mainWindow()), peer);
  ASSERT_TRUE(
      runUntil([&] { return geometryOf(gtkWindow).height == 130 && geometryOf(gtkWindow).x == 100; }));
  ASSERT_TRUE(runUntil([&] { return content_->display() && content_->display()->isReady(); }));
  EXPECT_EQ(evaluate(peer, "document.getElementById('captured').textContent"), "again");
}

TEST_F(RealWindowsDesktop, KeysReachTheHostBeforeThePageAndTypedTextComesBack) {
  windows_->showWindow("keys", true, 300, 600);
  const auto peer = peerOf(*windows_->mainWindow());
  ASSERT_TRUE(peer);
  auto* gtkWindow = static_cast<GtkWidget*>(peer->gtkWindow());
  ASSERT_TRUE(runUntil([&] { return content_->display() && content_->display()->isReady(); }));
  ASSERT_TRUE(runUntil([&] { return gtk_window_is_active(GTK_WINDOW(gtkWindow)); }))
      << "the floating window takes the keyboard when it is made key";
  int escapes = 0;
  content_->host()->addLocalKeyMonitor([&escapes](const ui::KeyEvent& key) -> std::optional<ui::KeyEvent> {
    if (key.keyCode != ui::keycode::escape) return key;
    ++escapes;
    return std::nullopt;
  });
  evaluate(peer,
           "window.pageEscapes = 0; document.addEventListener('keydown', e => { if (e.key === 'Escape') "
           "window.pageEscapes++; }, true); document.getElementById('prompt').focus(); 'ok'");

  Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  for (const KeySym key : {XK_h, XK_i, XK_Escape}) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
  }
  XFlush(display);
  ASSERT_TRUE(runUntil([&] { return *view_->prompt == "hi" && escapes == 1; }))
      << "prompt: " << *view_->prompt << ", escapes: " << escapes;
  EXPECT_EQ(content_->host()->focusedId(), "prompt");
  EXPECT_EQ(evaluate(peer, "String(window.pageEscapes)"), "0")
      << "what the host swallows never reaches the page";
}

TEST_F(RealWindowsDesktop, AnOrdinaryWindowHasItsTitleAndSize) {
  auto window = std::make_shared<platform::Window>(
      platform::Rect{200, 200, 720, 480},
      platform::windowstyle::titled | platform::windowstyle::closable | platform::windowstyle::resizable, 2,
      false);
  window->setTitle("Guide");
  view_ = std::make_shared<SampleView>("An ordinary window");
  auto content =
      std::make_shared<ui::HostContent>(ui::Host::make(view_, {.width = 720, .colorScheme = {}}),
                                        ui::HostDisplay::Options{.title = "Guide", .measuredIds = {}});
  window->setContentView(content);
  bool closed = false;
  window->setCloseHandler([&closed] { closed = true; });
  window->makeKeyAndOrderFront();
  const auto peer = peerOf(*window);
  ASSERT_TRUE(peer);
  auto* gtkWindow = static_cast<GtkWidget*>(peer->gtkWindow());
  ASSERT_TRUE(runUntil([&] { return content->display()->isReady() && geometryOf(gtkWindow).viewable; }));
  EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(gtkWindow)));
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(gtkWindow)), "Guide");
  EXPECT_FALSE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(gtkWindow)));
  const auto geometry = geometryOf(gtkWindow);
  EXPECT_EQ(geometry.width, 720);
  EXPECT_EQ(geometry.height, 480);
  screenshot(gtkWindow, *content->host(), "desktop-ordinary-window");

  // The close box closes the Window, which runs its close handler and leaves the screen.
  GdkEvent* event = gdk_event_new(GDK_DELETE);
  event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(gtkWindow)));
  gtk_main_do_event(event);
  gdk_event_free(event);
  EXPECT_TRUE(closed);
  ASSERT_TRUE(runUntil([&] { return !geometryOf(gtkWindow).viewable; }));
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace quellorin

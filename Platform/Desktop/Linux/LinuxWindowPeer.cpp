#include "Platform/Desktop/Linux/LinuxWindowPeer.h"

#include <gtk/gtk.h>

#include <cmath>

#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Linux/KeyTranslation.h"
#include "Platform/Desktop/Linux/LinuxScreens.h"
#include "Platform/Desktop/Linux/WebKitPageSurface.h"
#include "Platform/Desktop/Window.h"
#include "Platform/Desktop/WindowContent.h"

namespace platform {
namespace {

using PeerBox = std::weak_ptr<LinuxWindowPeer>;

void freeBox(gpointer data, GClosure*) { delete static_cast<PeerBox*>(data); }

// The desktop's modifier bits (as in Event::modifierFlags) of a GDK state.
std::uint64_t modifierFlags(guint state) {
  std::uint64_t flags = 0;
  if (state & GDK_SHIFT_MASK) flags |= keytranslation::modifierFlag(GDK_KEY_Shift_L);
  if (state & GDK_CONTROL_MASK) flags |= keytranslation::modifierFlag(GDK_KEY_Control_L);
  if (state & GDK_MOD1_MASK) flags |= keytranslation::modifierFlag(GDK_KEY_Alt_L);
  if (state & (GDK_SUPER_MASK | GDK_MOD4_MASK)) flags |= keytranslation::modifierFlag(GDK_KEY_Super_L);
  return flags;
}

std::string textOfKeyval(guint keyval) {
  const gunichar character = gdk_keyval_to_unicode(keyval);
  if (character == 0) return {};
  return unicode::toUTF8(std::u32string(1, static_cast<char32_t>(character)));
}

PageSurface::Key keyOf(const GdkEventKey& event) {
  PageSurface::Key key;
  key.keyCode = keytranslation::virtualKeyCode(event.keyval).value_or(0);
  key.characters = textOfKeyval(event.keyval);
  // What the same key types on its own: the keymap's first level.
  guint plain = event.keyval;
  gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_display_get_default()),
                                      event.hardware_keycode, GdkModifierType(0), event.group, &plain,
                                      nullptr, nullptr, nullptr);
  key.charactersIgnoringModifiers = textOfKeyval(plain);
  key.modifierFlags = modifierFlags(event.state);
  return key;
}

// GTK calls these from C: nothing may escape them.
gboolean keyPressed(GtkWidget*, GdkEventKey* event, gpointer data) {
  try {
    const auto peer = static_cast<PeerBox*>(data)->lock();
    if (!peer || !peer->surface()) return FALSE;
    return peer->surface()->offerKey(keyOf(*event)) ? TRUE : FALSE;
  } catch (const std::exception& error) {
    log(std::string("window: a key failed: ") + error.what());
  } catch (...) {
    log("window: a key failed");
  }
  return FALSE;
}

gboolean deleteRequested(GtkWidget*, GdkEvent*, gpointer data) {
  try {
    if (const auto peer = static_cast<PeerBox*>(data)->lock()) peer->closeRequested();
  } catch (const std::exception& error) {
    log(std::string("window: closing failed: ") + error.what());
  } catch (...) {
    log("window: closing failed");
  }
  return TRUE;  // the GTK window stays; the Window decides what closing means
}

bool isOpaque(const Color& color) { return color.alpha >= 1.0; }

}  // namespace

LinuxWindowPeer::LinuxWindowPeer(std::weak_ptr<Window> window, std::shared_ptr<LinuxScreens> screens)
    : owner_(std::move(window)), screens_(std::move(screens)) {}

std::shared_ptr<LinuxWindowPeer> LinuxWindowPeer::make(Window& window,
                                                       std::shared_ptr<LinuxScreens> screens) {
  std::shared_ptr<LinuxWindowPeer> peer(new LinuxWindowPeer(window.weak_from_this(), std::move(screens)));
  GtkWidget* gtkWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(gtkWindow);
  const bool titled = (window.styleMask() & windowstyle::titled) != 0;
  const bool floating = window.level() > windowlevel::normal;
  GdkScreen* screen = gtk_widget_get_screen(gtkWindow);
  peer->transparent_ = !isOpaque(window.backgroundColor()) && gdk_screen_is_composited(screen);
  if (peer->transparent_) {
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(gtkWindow, visual);
    gtk_widget_set_app_paintable(gtkWindow, TRUE);
  }
  gtk_window_set_decorated(GTK_WINDOW(gtkWindow), titled);
  gtk_window_set_resizable(GTK_WINDOW(gtkWindow),
                           titled ? (window.styleMask() & windowstyle::resizable) != 0 : TRUE);
  if (floating) {
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(gtkWindow), TRUE);
    gtk_window_set_skip_pager_hint(GTK_WINDOW(gtkWindow), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(gtkWindow), GDK_WINDOW_TYPE_HINT_UTILITY);
  }
  // Shown where it is put, and never taking the keyboard by merely appearing: it takes it when
  // it is made key.
  gtk_window_set_focus_on_map(GTK_WINDOW(gtkWindow), FALSE);
  gtk_window_set_accept_focus(GTK_WINDOW(gtkWindow), window.canBecomeKeyWindow());
  gtk_window_set_gravity(GTK_WINDOW(gtkWindow), GDK_GRAVITY_NORTH_WEST);

  peer->surface_ = WebKitPageSurface::make({.transparent = peer->transparent_});
  gtk_container_add(GTK_CONTAINER(gtkWindow), static_cast<GtkWidget*>(peer->surface_->widget()));
  gtk_widget_show(static_cast<GtkWidget*>(peer->surface_->widget()));

  g_signal_connect_data(gtkWindow, "key-press-event", G_CALLBACK(keyPressed), new PeerBox(peer), freeBox,
                        GConnectFlags(0));
  g_signal_connect_data(gtkWindow, "delete-event", G_CALLBACK(deleteRequested), new PeerBox(peer), freeBox,
                        GConnectFlags(0));
  peer->window_ = gtkWindow;
  return peer;
}

LinuxWindowPeer::~LinuxWindowPeer() {
  if (content_) content_->attachSurface(nullptr);
  auto* gtkWindow = static_cast<GtkWidget*>(window_);
  if (gtkWindow == nullptr) return;
  g_signal_handlers_disconnect_matched(gtkWindow, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                       reinterpret_cast<gpointer>(keyPressed), nullptr);
  g_signal_handlers_disconnect_matched(gtkWindow, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                       reinterpret_cast<gpointer>(deleteRequested), nullptr);
  gtk_widget_destroy(gtkWindow);
  g_object_unref(gtkWindow);
}

void LinuxWindowPeer::update(const Window& window) {
  auto* gtkWindow = GTK_WINDOW(window_);
  gtk_window_set_title(gtkWindow, window.title().c_str());
  gtk_window_set_keep_above(gtkWindow, window.level() > windowlevel::normal);
  const Rect frame = window.frame();
  if (frame.x == shownFrame_.x && frame.y == shownFrame_.y && frame.width == shownFrame_.width &&
      frame.height == shownFrame_.height)
    return;
  shownFrame_ = frame;
  const auto monitors = screens_->x11Frames();
  const Rect primary = monitors.empty() ? Rect{} : monitors.front();
  const int width = std::max(1, static_cast<int>(std::lround(frame.width)));
  const int height = std::max(1, static_cast<int>(std::lround(frame.height)));
  const int x = static_cast<int>(std::lround(frame.x + primary.x));
  const int y = static_cast<int>(std::lround(primary.y + primary.height - (frame.y + frame.height)));
  gtk_window_set_default_size(gtkWindow, width, height);
  gtk_widget_set_size_request(static_cast<GtkWidget*>(surface_->widget()), width, height);
  gtk_window_resize(gtkWindow, width, height);
  gtk_window_move(gtkWindow, x, y);
}

void LinuxWindowPeer::orderFront(const Window& window, bool makeKey) {
  auto* gtkWindow = static_cast<GtkWidget*>(window_);
  update(window);
  gtk_widget_show(gtkWindow);
  // Re-applied after mapping: some window managers only honour it on a mapped window.
  gtk_window_set_keep_above(GTK_WINDOW(gtkWindow), window.level() > windowlevel::normal);
  if (GdkWindow* gdkWindow = gtk_widget_get_window(gtkWindow)) gdk_window_raise(gdkWindow);
  if (makeKey) {
    gtk_window_present(GTK_WINDOW(gtkWindow));
    // Without a window manager nothing hands out the focus: take it.
    if (GdkWindow* gdkWindow = gtk_widget_get_window(gtkWindow))
      gdk_window_focus(gdkWindow, gtk_get_current_event_time());
  }
}

void LinuxWindowPeer::orderOut() { gtk_widget_hide(static_cast<GtkWidget*>(window_)); }

void LinuxWindowPeer::setContent(const std::shared_ptr<WindowContent>& content) {
  if (content == content_) return;
  if (content_) content_->attachSurface(nullptr);
  content_ = content;
  if (content_) content_->attachSurface(surface_);
}

void LinuxWindowPeer::closeRequested() {
  if (const auto window = owner_.lock()) window->close();
}

}  // namespace platform

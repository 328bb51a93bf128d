#pragma once

// Reading real GTK widgets back, for the tests that run on a real X server: a menu as text, the
// open message dialog, and a window's pixels as a PNG. Every function runs on the thread that
// runs GTK (call it through DesktopThread::call). Header-only.

#include <gtk/gtk.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// The menu as one line per item: "-" for a separator, "[x] " before a checked item, "(title)" for
// an insensitive one, and a submenu's items after "title > " in braces.
inline std::string describeGtkMenu(GtkWidget* menu) {
  std::string text;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* node = children; node != nullptr; node = node->next) {
    auto* item = GTK_WIDGET(node->data);
    if (!text.empty()) text += "\n";
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) {
      text += "-";
      continue;
    }
    std::string line;
    if (GTK_IS_CHECK_MENU_ITEM(item) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)))
      line += "[x] ";
    const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    line += gtk_widget_get_sensitive(item) ? std::string(label) : "(" + std::string(label) + ")";
    if (GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) {
      std::string inner = describeGtkMenu(submenu);
      for (char& c : inner)
        if (c == '\n') c = '|';
      line += " > {" + inner + "}";
    }
    text += line;
  }
  g_list_free(children);
  return text;
}

// The item named `name` (gtk_widget_get_name) in the menu or its submenus; null when none.
inline GtkMenuItem* findGtkMenuItem(GtkWidget* menu, const std::string& name) {
  GtkMenuItem* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* node = children; node != nullptr && found == nullptr; node = node->next) {
    auto* item = GTK_WIDGET(node->data);
    if (name == gtk_widget_get_name(item)) found = GTK_MENU_ITEM(item);
    if (GTK_IS_MENU_ITEM(item) && found == nullptr) {
      if (GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)))
        found = findGtkMenuItem(submenu, name);
    }
  }
  g_list_free(children);
  return found;
}

// The message dialog on screen (mapped), or null.
inline GtkMessageDialog* shownMessageDialog() {
  GtkMessageDialog* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* node = windows; node != nullptr; node = node->next) {
    if (GTK_IS_MESSAGE_DIALOG(node->data) && gtk_widget_get_mapped(GTK_WIDGET(node->data)))
      found = GTK_MESSAGE_DIALOG(node->data);
  }
  g_list_free(windows);
  return found;
}

struct DialogReading {
  std::string title, text, secondaryText;
  std::vector<std::string> buttons;
};

// What the dialog shows: its texts and its buttons in order (by their responses 0, 1, ...).
inline DialogReading readDialog(GtkMessageDialog* dialog) {
  DialogReading reading;
  gchar* text = nullptr;
  gchar* secondary = nullptr;
  g_object_get(dialog, "text", &text, "secondary-text", &secondary, nullptr);
  reading.text = text != nullptr ? text : "";
  reading.secondaryText = secondary != nullptr ? secondary : "";
  g_free(text);
  g_free(secondary);
  if (const char* title = gtk_window_get_title(GTK_WINDOW(dialog))) reading.title = title;
  for (gint response = 0;; ++response) {
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response);
    if (button == nullptr) break;
    reading.buttons.push_back(gtk_button_get_label(GTK_BUTTON(button)));
  }
  return reading;
}

// Opens `menu` on screen below a small anchor window at (x, y), as a click would; answers the
// anchor, to be handed to closeGtkMenu. The anchor must be mapped before the menu can open:
// call popUpGtkMenu once gtk_widget_get_mapped(anchor) holds.
inline GtkWidget* makeMenuAnchor(int x, int y) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_POPUP);
  gtk_window_move(GTK_WINDOW(window), x, y);
  gtk_window_set_default_size(GTK_WINDOW(window), 8, 8);
  gtk_widget_show(window);
  return window;
}

inline void popUpGtkMenu(GtkWidget* menu, GtkWidget* anchor) {
  const GdkRectangle below{0, 8, 1, 1};
  gtk_menu_popup_at_rect(GTK_MENU(menu), gtk_widget_get_window(anchor), &below, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, nullptr);
}

inline void closeGtkMenu(GtkWidget* menu, GtkWidget* anchor) {
  gtk_menu_popdown(GTK_MENU(menu));
  gtk_widget_destroy(anchor);
}

// Writes the pixels of `widget`'s window as a PNG into `folder`/`name`; answers false while the
// window shows nothing yet (not mapped, or one colour only: not drawn).
inline bool screenshotWidget(GtkWidget* widget, const std::filesystem::path& folder,
                             const std::string& name) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (window == nullptr || !gtk_widget_get_mapped(widget)) return false;
  const int width = gdk_window_get_width(window);
  const int height = gdk_window_get_height(window);
  GdkPixbuf* pixels = gdk_pixbuf_get_from_window(window, 0, 0, width, height);
  if (pixels == nullptr) return false;
  std::set<guint32> colours;
  const guchar* bytes = gdk_pixbuf_read_pixels(pixels);
  const int stride = gdk_pixbuf_get_rowstride(pixels);
  const int channels = gdk_pixbuf_get_n_channels(pixels);
  for (int y = 0; y < height && colours.size() < 3; y += 3)
    for (int x = 0; x < width && colours.size() < 3; x += 3) {
      const guchar* p = bytes + y * stride + x * channels;
      colours.insert((guint32(p[0]) << 16) | (guint32(p[1]) << 8) | p[2]);
    }
  bool written = false;
  if (colours.size() >= 3) {
    std::filesystem::create_directories(folder);
    written = gdk_pixbuf_save(pixels, (folder / name).c_str(), "png", nullptr, nullptr) == TRUE;
  }
  g_object_unref(pixels);
  return written;
}

}  // namespace testsupport

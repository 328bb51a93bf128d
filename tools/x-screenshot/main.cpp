// Writes the screen of the X server named by DISPLAY (or one rectangle of it) into a PNG.
// Usage: x-screenshot OUT.png [X Y WIDTH HEIGHT]
// Exit status: 0 when written, 1 when the display or the file failed, 2 on a usage error.

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: x-screenshot OUT.png [X Y WIDTH HEIGHT]\n");
    return 2;
  }
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "x-screenshot: cannot open the X11 display\n");
    return 1;
  }
  GdkWindow* root = gdk_get_default_root_window();
  int x = 0, y = 0;
  int width = gdk_window_get_width(root), height = gdk_window_get_height(root);
  if (argc == 6) {
    x = std::atoi(argv[2]);
    y = std::atoi(argv[3]);
    width = std::atoi(argv[4]);
    height = std::atoi(argv[5]);
    if (width <= 0 || height <= 0) {
      std::fprintf(stderr, "x-screenshot: the size must be positive\n");
      return 2;
    }
  }
  GdkPixbuf* pixels = gdk_pixbuf_get_from_window(root, x, y, width, height);
  if (pixels == nullptr) {
    std::fprintf(stderr, "x-screenshot: nothing to read there\n");
    return 1;
  }
  GError* error = nullptr;
  const gboolean saved = gdk_pixbuf_save(pixels, argv[1], "png", &error, nullptr);
  g_object_unref(pixels);
  if (!saved) {
    std::fprintf(stderr, "x-screenshot: %s\n", error != nullptr ? error->message : "cannot write");
    if (error != nullptr) g_error_free(error);
    return 1;
  }
  return 0;
}

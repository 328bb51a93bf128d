// A one-window GTK editor for the real-desktop tests: a text view with a given text, selection
// and clipboard content. It writes its whole text to the report file each time the text
// changes, and once when its window first has the keyboard focus (the test waits for that).
//
//   desktop-editor --report FILE [--text T] [--select START LENGTH] [--clipboard-text T]
//                  [--clipboard-html H]
// Offsets count characters. The clipboard, when given, is owned by the editor with both
// targets, as a user's earlier copy would be.

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string report;
  std::string text;
  int selectStart = -1;
  int selectLength = 0;
  std::string clipboardText;
  std::string clipboardHTML;
};

Options options;
bool reportedFocus = false;

void writeReport(GtkTextBuffer* buffer) {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  const std::string temporary = options.report + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
  }
  g_free(text);
  std::rename(temporary.c_str(), options.report.c_str());
}

void serveClipboard(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer) {
  const std::string& bytes = info == 1 ? options.clipboardHTML : options.clipboardText;
  gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                         reinterpret_cast<const guchar*>(bytes.data()), static_cast<gint>(bytes.size()));
}

gboolean focused(GtkWidget* view, GdkEvent*, gpointer) {
  if (!reportedFocus) {
    reportedFocus = true;
    writeReport(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)));
  }
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--report" && hasValue) {
      options.report = argv[++i];
    } else if (argument == "--text" && hasValue) {
      options.text = argv[++i];
    } else if (argument == "--select" && i + 2 < argc) {
      options.selectStart = std::atoi(argv[++i]);
      options.selectLength = std::atoi(argv[++i]);
    } else if (argument == "--clipboard-text" && hasValue) {
      options.clipboardText = argv[++i];
    } else if (argument == "--clipboard-html" && hasValue) {
      options.clipboardHTML = argv[++i];
    } else {
      std::fprintf(stderr, "desktop-editor: unknown argument %s\n", argument.c_str());
      return 2;
    }
  }
  if (options.report.empty()) {
    std::fprintf(stderr, "desktop-editor: --report FILE is required\n");
    return 2;
  }

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Test editor");
  gtk_window_set_default_size(GTK_WINDOW(window), 640, 300);
  gtk_window_move(GTK_WINDOW(window), 100, 120);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), FALSE);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  gtk_text_buffer_set_text(buffer, options.text.c_str(), -1);
  GtkTextIter start, end;
  if (options.selectStart >= 0) {
    gtk_text_buffer_get_iter_at_offset(buffer, &start, options.selectStart);
    gtk_text_buffer_get_iter_at_offset(buffer, &end, options.selectStart + options.selectLength);
    gtk_text_buffer_select_range(buffer, &end, &start);
  } else {
    gtk_text_buffer_get_end_iter(buffer, &end);
    gtk_text_buffer_place_cursor(buffer, &end);
  }
  g_signal_connect(buffer, "changed",
                   G_CALLBACK(+[](GtkTextBuffer* changed, gpointer) { writeReport(changed); }), nullptr);
  g_signal_connect(view, "focus-in-event", G_CALLBACK(focused), nullptr);
  gtk_container_add(GTK_CONTAINER(window), view);

  if (!options.clipboardText.empty()) {
    static const GtkTargetEntry targets[] = {{const_cast<gchar*>("UTF8_STRING"), 0, 0},
                                             {const_cast<gchar*>("text/plain;charset=utf-8"), 0, 0},
                                             {const_cast<gchar*>("text/html"), 0, 1}};
    gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets,
                                options.clipboardHTML.empty() ? 2 : 3, serveClipboard, nullptr, nullptr);
  }

  gtk_widget_show_all(window);
  gtk_widget_grab_focus(view);
  gtk_window_present(GTK_WINDOW(window));
  gtk_main();
  return 0;
}

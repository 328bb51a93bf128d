#include "Platform/Desktop/Linux/LinuxPasteboard.h"

#include <gtk/gtk.h>

#include <set>
#include <utility>

#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/DesktopThread.h"

namespace platform {
namespace {

// Targets that describe the selection rather than hold content.
const std::set<std::string>& bookkeepingTargets() {
  static const std::set<std::string> names{"TARGETS",         "MULTIPLE",         "TIMESTAMP",
                                           "SAVE_TARGETS",    "DELETE",           "INSERT_SELECTION",
                                           "INSERT_PROPERTY", "CLIPBOARD_MANAGER"};
  return names;
}

// The clipboard's content while this process owns it: every target with its bytes.
struct OwnedContent {
  std::vector<std::pair<std::string, std::string>> targets;
};

// GTK asks for one target of what this process owns. Called from C on the desktop thread.
void serveTarget(GtkClipboard*, GtkSelectionData* selection, guint index, gpointer data) {
  try {
    const auto* content = static_cast<const OwnedContent*>(data);
    if (index >= content->targets.size()) return;
    const auto& bytes = content->targets[index].second;
    gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                           reinterpret_cast<const guchar*>(bytes.data()), static_cast<gint>(bytes.size()));
  } catch (...) {
    // Nothing to hand over: the requester gets no data for this target.
  }
}

void releaseContent(GtkClipboard*, gpointer data) { delete static_cast<OwnedContent*>(data); }

// The X11 targets under which one type of an item is offered.
std::vector<std::string> targetsForType(const std::string& type) {
  if (type == Pasteboard::plainTextType)
    return {"UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT", "text/plain"};
  if (type == Pasteboard::htmlType) return {"text/html"};
  if (type == Pasteboard::rtfType) return {"text/rtf"};
  if (type == Pasteboard::pngType) return {"image/png"};
  if (type == Pasteboard::fileURLType) return {"text/uri-list"};
  return {type};
}

void own(const OwnedContent& content) {
  auto* owned = new OwnedContent(content);
  // GTK copies the target names before this returns; the content it keeps until released.
  std::vector<GtkTargetEntry> entries;
  for (std::size_t i = 0; i < owned->targets.size(); ++i) {
    entries.push_back({const_cast<gchar*>(owned->targets[i].first.c_str()), 0, static_cast<guint>(i)});
  }
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  if (!gtk_clipboard_set_with_data(clipboard, entries.data(), static_cast<guint>(entries.size()), serveTarget,
                                   releaseContent, owned)) {
    delete owned;
    log("clipboard: cannot take the clipboard over");
  }
}

}  // namespace

LinuxPasteboard::LinuxPasteboard(std::shared_ptr<DesktopThread> desktop)
    : desktop_(std::move(desktop)), changes_(std::make_shared<std::atomic<std::int64_t>>(0)) {
  using Counter = std::shared_ptr<std::atomic<std::int64_t>>;
  desktop_->call([changes = changes_] {
    g_signal_connect_data(
        gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "owner-change",
        G_CALLBACK(
            +[](GtkClipboard*, GdkEvent*, gpointer data) { (*static_cast<Counter*>(data))->fetch_add(1); }),
        new Counter(changes), +[](gpointer data, GClosure*) { delete static_cast<Counter*>(data); },
        G_CONNECT_DEFAULT);
  });
}

std::int64_t LinuxPasteboard::clearContents() {
  desktop_->call([] { own({{{"application/x-quellorin-empty", ""}}}); });
  return ++*changes_;
}

void LinuxPasteboard::writeObjects(std::vector<PasteboardItem> items) {
  // The clipboard holds one item: the first one wins each target.
  OwnedContent content;
  std::set<std::string> seen;
  for (const auto& item : items) {
    for (const auto& [type, bytes] : item) {
      for (const auto& target : targetsForType(type)) {
        if (seen.insert(target).second) content.targets.emplace_back(target, bytes);
      }
    }
  }
  if (content.targets.empty()) return;
  desktop_->call([&content] { own(content); });
  ++*changes_;
}

std::vector<PasteboardItem> LinuxPasteboard::pasteboardItems() const {
  return desktop_->call([] {
    std::vector<PasteboardItem> items;
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    GdkAtom* targets = nullptr;
    gint count = 0;
    if (!gtk_clipboard_wait_for_targets(clipboard, &targets, &count)) return items;
    PasteboardItem item;
    for (gint i = 0; i < count; ++i) {
      gchar* name = gdk_atom_name(targets[i]);
      std::string target(name);
      g_free(name);
      if (bookkeepingTargets().contains(target) || target == "application/x-quellorin-empty") continue;
      GtkSelectionData* data = gtk_clipboard_wait_for_contents(clipboard, targets[i]);
      if (data == nullptr) continue;
      gint length = 0;
      const guchar* bytes = gtk_selection_data_get_data_with_length(data, &length);
      if (bytes != nullptr && length >= 0) {
        item[target] = std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
      }
      gtk_selection_data_free(data);
    }
    g_free(targets);
    if (!item.empty()) items.push_back(std::move(item));
    return items;
  });
}

std::optional<std::string> LinuxPasteboard::string() const {
  return desktop_->call([]() -> std::optional<std::string> {
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (text == nullptr) return std::nullopt;
    std::string result(text);
    g_free(text);
    return result;
  });
}

std::int64_t LinuxPasteboard::changeCount() const { return changes_->load(); }

}  // namespace platform

#include "Platform/Desktop/Linux/LinuxStatusBar.h"

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <filesystem>

#include "Platform/Core/Bundle.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Linux/DesktopThread.h"
#include "Platform/Dispatch/MainQueue.h"

namespace platform {

namespace {

constexpr const char* kIndicatorId = "com.tarvenix.Quellorin";
constexpr const char* kFallbackIcon = "accessories-text-editor";

// What an item's "activate" signal needs; owned by the signal connection, freed with the item.
struct ItemChoice {
  std::shared_ptr<MainQueue> queue;
  std::function<void()> action;
  bool checked = false;
  bool restoring = false;
};

void freeChoice(gpointer data, GClosure*) { delete static_cast<ItemChoice*>(data); }

// GTK calls it from C on the desktop thread.
void itemActivated(GtkMenuItem* item, gpointer data) {
  auto* choice = static_cast<ItemChoice*>(data);
  try {
    if (choice->restoring) return;
    if (GTK_IS_CHECK_MENU_ITEM(item)) {
      // GTK flips the mark on activation; the menu shows the state the application holds, and
      // a new menu comes when that changes. Setting it back activates the item once more.
      choice->restoring = true;
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), choice->checked);
      choice->restoring = false;
    }
    if (choice->action) choice->queue->async(choice->action);
  } catch (const std::exception& error) {
    choice->restoring = false;
    log(std::string("status item: choosing an item failed: ") + error.what());
  } catch (...) {
    choice->restoring = false;
    log("status item: choosing an item failed");
  }
}

GtkWidget* buildMenu(const std::vector<MenuEntry>& entries, const std::shared_ptr<MainQueue>& queue) {
  GtkWidget* menu = gtk_menu_new();
  for (const MenuEntry& entry : entries) {
    GtkWidget* item = nullptr;
    if (entry.separator) {
      item = gtk_separator_menu_item_new();
    } else if (entry.checked) {
      item = gtk_check_menu_item_new_with_label(entry.title.c_str());
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    } else {
      item = gtk_menu_item_new_with_label(entry.title.c_str());
    }
    if (!entry.separator) {
      gtk_widget_set_name(item, entry.id.c_str());
      gtk_widget_set_sensitive(item, entry.enabled ? TRUE : FALSE);
      if (!entry.submenu.empty()) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), buildMenu(entry.submenu, queue));
      } else {
        g_signal_connect_data(item, "activate", G_CALLBACK(itemActivated),
                              new ItemChoice{queue, entry.action, entry.checked}, freeChoice,
                              static_cast<GConnectFlags>(0));
      }
    }
    gtk_widget_show(item);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }
  return menu;
}

}  // namespace

LinuxStatusBar::LinuxStatusBar(std::shared_ptr<DesktopThread> desktopThread,
                               std::shared_ptr<MainQueue> mainQueue)
    : desktopThread_(std::move(desktopThread)), mainQueue_(std::move(mainQueue)) {}

LinuxStatusBar::~LinuxStatusBar() {
  desktopThread_->call([this] {
    if (menu_ != nullptr) {
      gtk_widget_destroy(GTK_WIDGET(menu_));
      g_object_unref(menu_);
    }
    if (indicator_ != nullptr) g_object_unref(indicator_);
  });
}

void LinuxStatusBar::show(const std::string& title, const std::string& symbol) {
  // The symbol's picture, when the resources hold one; else an icon every theme has.
  const auto icons = Bundle::main()->resourcePath() / "icons";
  const std::string iconName = "quellorin-" + symbol;
  std::error_code error;
  const bool ownIcon = std::filesystem::exists(icons / (iconName + ".svg"), error);
  desktopThread_->call([this, title, iconName, ownIcon, folder = icons.string()] {
    if (indicator_ == nullptr) {
      indicator_ = app_indicator_new(kIndicatorId, ownIcon ? iconName.c_str() : kFallbackIcon,
                                     APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
      if (ownIcon) app_indicator_set_icon_theme_path(APP_INDICATOR(indicator_), folder.c_str());
      // An indicator shows nothing until it has a menu.
      if (menu_ == nullptr) {
        menu_ = g_object_ref_sink(gtk_menu_new());
      }
      app_indicator_set_menu(APP_INDICATOR(indicator_), GTK_MENU(menu_));
    }
    app_indicator_set_title(APP_INDICATOR(indicator_), title.c_str());
    app_indicator_set_status(APP_INDICATOR(indicator_), APP_INDICATOR_STATUS_ACTIVE);
  });
}

void LinuxStatusBar::setMenu(std::vector<MenuEntry> menu) {
  desktopThread_->call([this, &menu] {
    GtkWidget* built = buildMenu(menu, mainQueue_);
    g_object_ref_sink(built);
    if (indicator_ != nullptr) app_indicator_set_menu(APP_INDICATOR(indicator_), GTK_MENU(built));
    if (menu_ != nullptr) {
      gtk_widget_destroy(GTK_WIDGET(menu_));
      g_object_unref(menu_);
    }
    menu_ = built;
  });
}

void LinuxStatusBar::remove() {
  desktopThread_->call([this] {
    if (indicator_ != nullptr)
      app_indicator_set_status(APP_INDICATOR(indicator_), APP_INDICATOR_STATUS_PASSIVE);
  });
}

bool LinuxStatusBar::isConnected() const {
  return desktopThread_->call([this] {
    if (indicator_ == nullptr) return false;
    gboolean connected = FALSE;
    g_object_get(indicator_, "connected", &connected, nullptr);
    return connected == TRUE;
  });
}

}  // namespace platform

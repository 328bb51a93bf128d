#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/StatusBar.h"

namespace platform {

class DesktopThread;
class MainQueue;

// The status item as a StatusNotifierItem (libayatana-appindicator) with a GTK menu built from
// the entries: titles, check marks, submenus, sensitivity and separators. A new menu replaces
// the old one whole. Without a tray host on the session bus the indicator reports itself not
// connected and nothing shows it; the item and its menu are kept all the same.
//
// Main queue, as the interface says; the GTK work runs on the desktop thread, and a chosen item's
// action is handed back to the main queue.
class LinuxStatusBar final : public StatusBar {
 public:
  LinuxStatusBar(std::shared_ptr<DesktopThread> desktopThread, std::shared_ptr<MainQueue> mainQueue);
  ~LinuxStatusBar() override;
  LinuxStatusBar(const LinuxStatusBar&) = delete;
  LinuxStatusBar& operator=(const LinuxStatusBar&) = delete;

  void show(const std::string& title, const std::string& symbol) override;
  void setMenu(std::vector<MenuEntry> menu) override;
  void remove() override;
  bool isConnected() const override;

  // The GtkMenu shown now (null before the first menu). Desktop thread only; for the tests that
  // read the real menu back.
  void* gtkMenu() const { return menu_; }
  const std::shared_ptr<DesktopThread>& desktopThread() const { return desktopThread_; }

 private:
  std::shared_ptr<DesktopThread> desktopThread_;
  std::shared_ptr<MainQueue> mainQueue_;
  // Both touched on the desktop thread only.
  void* indicator_ = nullptr;  // AppIndicator*, owned
  void* menu_ = nullptr;       // GtkMenu*, one reference owned
};

}  // namespace platform

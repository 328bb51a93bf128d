#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// One entry of a status item's menu: an item, a submenu (its entries in `submenu`) or a
// separator. `action` runs on the main queue when the person chooses the item.
struct MenuEntry {
  std::string id;
  std::string title;
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  std::vector<MenuEntry> submenu;
  std::function<void()> action;
};

// The application's item in the desktop's status area (the menu bar's extras), with its
// pull-down menu. One item per process.
//
// Main queue only; the menu is shown by the desktop, and choosing an item runs its action on
// the main queue. An implementation that finds no status area on the desktop keeps the item
// all the same (a host may come later) and says so through isConnected().
class StatusBar {
 public:
  virtual ~StatusBar() = default;

  // Shows the item with `title` and a symbol named as the interface's symbols are ("sparkles").
  virtual void show(const std::string& title, const std::string& symbol) = 0;
  // Replaces the whole menu.
  virtual void setMenu(std::vector<MenuEntry> menu) = 0;
  // Takes the item off the status area.
  virtual void remove() = 0;
  // Whether a status area shows the item now.
  virtual bool isConnected() const = 0;
};

}  // namespace platform

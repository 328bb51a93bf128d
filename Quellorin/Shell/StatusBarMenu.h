#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/StatusBar.h"
#include "UI/Scene.h"

namespace quellorin {

// The menu-bar extra's menu as the desktop's status item shows it: each item of the menu's tree
// becomes an entry (title, check mark, enabled state, submenu, separator), and choosing one
// clicks the item's button in `host`, as the person would in the view. Items without an action
// (texts) are not chosen.
std::vector<platform::MenuEntry> statusBarEntries(const std::vector<ui::MenuItem>& items,
                                                  const std::weak_ptr<ui::Host>& host);

// Keeps a menu-bar extra on the desktop's status bar: shown with its title and symbol when made,
// its menu replaced after every render of its host, taken off when this object ends.
//
// Main queue only.
class StatusBarMenu {
 public:
  StatusBarMenu(std::shared_ptr<platform::StatusBar> statusBar, const ui::MenuBarExtraHost& extra);
  ~StatusBarMenu();
  StatusBarMenu(const StatusBarMenu&) = delete;
  StatusBarMenu& operator=(const StatusBarMenu&) = delete;

 private:
  std::shared_ptr<platform::StatusBar> statusBar_;
  std::shared_ptr<ui::Host::RenderObserver> observer_;
};

}  // namespace quellorin

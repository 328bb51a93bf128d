#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Core/SystemVersion.h"
#include "UI/HTMLRenderer.h"
#include "UI/Host.h"
#include "UI/Node.h"

namespace ui {

// One entry of a pull-down menu: an item, a submenu or a separator.
struct MenuItem {
  std::string id;
  std::string title;
  std::string symbol;  // leading symbol, such as "person.circle"; empty for none
  bool enabled = true;
  bool checked = false;
  bool isDivider = false;
  std::vector<MenuItem> submenu;  // non-empty for a submenu
  std::function<void()> action;   // none for a submenu, a separator or an inert item

  static MenuItem divider();
};

// The menu a view tree shows as a pull-down menu: buttons become items (their title is their
// text, or the texts of their label joined; a symbol other than "checkmark" is their symbol; a
// "checkmark" symbol or markChecked() checks them), menus become submenus, dividers separators,
// texts inert items; stacks and groups are flattened. Disabled or hidden nodes give disabled
// items.
std::vector<MenuItem> menuItems(const Node& content);

// The item with `id`, searched through submenus; null when none.
const MenuItem* findMenuItem(const std::vector<MenuItem>& items, std::string_view id);

// A pull-down menu as an HTML page, opened at the submenu `openSubmenuId` (when given), for
// screenshots.
std::string renderMenuHTML(const std::vector<MenuItem>& items, const HTMLOptions& options,
                           std::string_view openSubmenuId = {});

// The system version of the installed environment.
platform::SystemVersion systemVersion();

// The settings scene: the settings window's root view with the objects handed to it.
struct SettingsScene {
  std::shared_ptr<View> content;
  EnvironmentObjects environment;
};

// A menu-bar extra: a title, a symbol, and a view whose body is the menu's content.
struct MenuBarExtra {
  std::string title;
  std::string symbol;
  std::shared_ptr<View> content;
};

// The status item that stands in for the menu-bar extra on the older system: a title and a menu
// of items built by the application.
class StatusItem {
 public:
  StatusItem(std::string title, std::vector<MenuItem> menu)
      : title_(std::move(title)), menu_(std::move(menu)) {}
  const std::string& title() const { return title_; }
  const std::vector<MenuItem>& menu() const { return menu_; }
  void setMenu(std::vector<MenuItem> menu) { menu_ = std::move(menu); }
  // Runs the action of the enabled item `id`; answers whether one ran.
  bool choose(std::string_view id) const;

 private:
  std::string title_;
  std::vector<MenuItem> menu_;
};

// The scenes an application declares. The menu-bar extra is optional (only on newer systems).
struct Scenes {
  std::optional<SettingsScene> settings;
  std::optional<MenuBarExtra> menuBarExtra;
};

// A menu-bar extra brought to life: a host for its content, its menu as items, and choosing.
class MenuBarExtraHost {
 public:
  explicit MenuBarExtraHost(MenuBarExtra extra);
  const MenuBarExtra& extra() const { return extra_; }
  const std::shared_ptr<Host>& host() const { return host_; }
  // The menu as the content shows it now.
  std::vector<MenuItem> menu() const { return menuItems(host_->tree()); }
  // Chooses the enabled item `id` (clicks its button); answers whether it ran.
  bool choose(std::string_view id) const;

 private:
  MenuBarExtra extra_;
  std::shared_ptr<Host> host_;
};

}  // namespace ui

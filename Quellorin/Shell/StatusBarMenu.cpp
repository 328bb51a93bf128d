#include "Quellorin/Shell/StatusBarMenu.h"

namespace quellorin {

std::vector<platform::MenuEntry> statusBarEntries(const std::vector<ui::MenuItem>& items,
                                                  const std::weak_ptr<ui::Host>& host) {
  std::vector<platform::MenuEntry> entries;
  entries.reserve(items.size());
  for (const ui::MenuItem& item : items) {
    platform::MenuEntry entry;
    entry.id = item.id;
    entry.title = item.title;
    entry.enabled = item.enabled;
    entry.checked = item.checked;
    entry.separator = item.isDivider;
    entry.submenu = statusBarEntries(item.submenu, host);
    if (item.action && item.submenu.empty()) {
      entry.action = [host, id = item.id] {
        if (const auto strong = host.lock()) strong->click(id);
      };
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

StatusBarMenu::StatusBarMenu(std::shared_ptr<platform::StatusBar> statusBar,
                             const ui::MenuBarExtraHost& extra)
    : statusBar_(std::move(statusBar)) {
  std::weak_ptr<ui::Host> host = extra.host();
  std::weak_ptr<platform::StatusBar> weakBar = statusBar_;
  observer_ = std::make_shared<ui::Host::RenderObserver>([host, weakBar] {
    const auto strongHost = host.lock();
    const auto bar = weakBar.lock();
    if (strongHost && bar) bar->setMenu(statusBarEntries(ui::menuItems(strongHost->tree()), host));
  });
  extra.host()->addRenderObserver(observer_);
  statusBar_->show(extra.extra().title, extra.extra().symbol);
  (*observer_)();
}

StatusBarMenu::~StatusBarMenu() { statusBar_->remove(); }

}  // namespace quellorin

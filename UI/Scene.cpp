#include "UI/Scene.h"

#include "Platform/Core/Environment.h"
#include "UI/Symbols.h"

namespace ui {

namespace {

std::string labelText(const Node& node) {
  if (node.kind == NodeKind::text) return node.text;
  std::string text;
  for (const Node& child : node.children) {
    std::string part = labelText(child);
    if (part.empty()) continue;
    if (!text.empty()) text += " ";
    text += part;
  }
  return text;
}

std::string labelSymbol(const Node& node) {
  if (node.kind == NodeKind::symbol && node.symbol != "checkmark") return node.symbol;
  for (const Node& child : node.children)
    if (auto symbol = labelSymbol(child); !symbol.empty()) return symbol;
  return {};
}

bool hasCheckmark(const Node& node) {
  if (node.kind == NodeKind::symbol && node.symbol == "checkmark" && !node.modifiers.hidden &&
      node.modifiers.opacity > 0)
    return true;
  for (const Node& child : node.children)
    if (hasCheckmark(child)) return true;
  return false;
}

void collectItems(const Node& node, bool enabled, std::vector<MenuItem>& items) {
  enabled = enabled && !node.modifiers.disabled && !node.modifiers.hidden;
  switch (node.kind) {
    case NodeKind::button: {
      MenuItem item;
      item.id = node.nodeId();
      item.title = node.children.empty() ? node.text : labelText(node);
      item.symbol =
          node.children.empty() ? (node.symbol == "checkmark" ? "" : node.symbol) : labelSymbol(node);
      item.checked = node.checked.value_or(node.symbol == "checkmark" || hasCheckmark(node));
      item.enabled = enabled;
      item.action = node.action;
      items.push_back(std::move(item));
      return;
    }
    case NodeKind::menu: {
      MenuItem item;
      item.id = node.nodeId();
      item.title = node.text;
      item.symbol = node.symbol;
      item.enabled = enabled;
      for (const Node& child : node.children) collectItems(child, enabled, item.submenu);
      items.push_back(std::move(item));
      return;
    }
    case NodeKind::divider:
      items.push_back(MenuItem::divider());
      return;
    case NodeKind::text: {
      MenuItem item;
      item.id = node.nodeId();
      item.title = node.text;
      item.enabled = false;
      items.push_back(std::move(item));
      return;
    }
    default:
      for (const Node& child : node.children) collectItems(child, enabled, items);
  }
}

void writeMenu(const std::vector<MenuItem>& items, std::string_view openId, std::string& out) {
  out += "<div class=\"menu\" role=\"menu\">";
  for (const MenuItem& item : items) {
    if (item.isDivider) {
      out += "<div class=\"separator\" role=\"separator\"></div>";
      continue;
    }
    out += "<div role=\"menuitem\" id=\"" + escapeHTML(item.id) + "\" class=\"item" +
           (item.enabled ? "" : " disabled") + "\"><span class=\"mark\">" +
           (item.checked ? symbolSVG("checkmark") : "") + "</span>";
    if (!item.symbol.empty()) out += symbolSVG(item.symbol);
    out += "<span class=\"title\">" + escapeHTML(item.title) + "</span>";
    if (!item.submenu.empty()) out += "<span class=\"arrow\">›</span>";
    if (!item.submenu.empty() && item.id == openId) {
      out += "<div class=\"submenu\">";
      writeMenu(item.submenu, openId, out);
      out += "</div>";
    }
    out += "</div>";
  }
  out += "</div>";
}

const char* kMenuStyle = R"css(
*{box-sizing:border-box;margin:0}
body{font:13px/1.25 'DejaVu Sans',sans-serif;background:transparent;padding:8px;color:var(--color-primary)}
html.light{--menu-bg:rgba(246,246,246,.97);--menu-hl:#6B39F4;--menu-border:rgba(0,0,0,.18)}
html.dark{--menu-bg:rgba(44,44,46,.97);--menu-hl:#7C55F5;--menu-border:rgba(255,255,255,.16)}
.menu{display:inline-flex;flex-direction:column;min-width:220px;padding:5px;background:var(--menu-bg);border-radius:7px;box-shadow:0 0 0 .5px var(--menu-border),0 6px 20px rgba(0,0,0,.25)}
.item{position:relative;display:flex;align-items:center;gap:6px;padding:3px 8px 3px 4px;border-radius:4px;white-space:nowrap}
.item.disabled{opacity:.45}
.mark{display:inline-flex;width:1.2em;justify-content:center}
.arrow{margin-left:auto;padding-left:18px;opacity:.7}
.separator{height:1px;margin:5px 8px;background:var(--color-separatorColor)}
.submenu{position:absolute;left:100%;top:-5px;margin-left:2px}
.ui-svg{display:block;flex:none}
)css";

}  // namespace

MenuItem MenuItem::divider() {
  MenuItem item;
  item.isDivider = true;
  item.enabled = false;
  return item;
}

std::vector<MenuItem> menuItems(const Node& content) {
  std::vector<MenuItem> items;
  collectItems(content, true, items);
  return items;
}

const MenuItem* findMenuItem(const std::vector<MenuItem>& items, std::string_view id) {
  for (const MenuItem& item : items) {
    if (!item.isDivider && item.id == id) return &item;
    if (const MenuItem* found = findMenuItem(item.submenu, id)) return found;
  }
  return nullptr;
}

std::string renderMenuHTML(const std::vector<MenuItem>& items, const HTMLOptions& options,
                           std::string_view openSubmenuId) {
  std::string body;
  writeMenu(items, openSubmenuId, body);
  std::string sheet = htmlStyleSheet();
  // Only the colour variables of the page's style sheet are wanted; the menu has its own styles.
  auto variables = sheet.find("html.light{");
  return std::string("<!DOCTYPE html>\n<html class=\"") +
         (options.colorScheme == ColorScheme::dark ? "dark" : "light") +
         "\"><head><meta charset=\"utf-8\"><title>" + escapeHTML(options.title) + "</title><style>" +
         sheet.substr(variables) + kMenuStyle + "</style></head><body>" + body + "</body></html>\n";
}

platform::SystemVersion systemVersion() { return platform::Environment::current()->systemVersion; }

bool StatusItem::choose(std::string_view id) const {
  const MenuItem* item = findMenuItem(menu_, id);
  if (!item || !item->enabled || !item->action) return false;
  item->action();
  return true;
}

MenuBarExtraHost::MenuBarExtraHost(MenuBarExtra extra)
    : extra_(std::move(extra)), host_(Host::make(extra_.content)) {}

bool MenuBarExtraHost::choose(std::string_view id) const {
  std::vector<MenuItem> items = menu();
  const MenuItem* item = findMenuItem(items, id);
  if (!item || !item->enabled) return false;
  return host_->click(id);
}

}  // namespace ui

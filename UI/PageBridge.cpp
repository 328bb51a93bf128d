#include "UI/PageBridge.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "UI/HTMLRenderer.h"

namespace ui {
namespace {

using nlohmann::json;

const std::map<std::string_view, PageMessage::Kind> kKinds = {
    {"ready", PageMessage::Kind::ready},  {"click", PageMessage::Kind::click},
    {"hover", PageMessage::Kind::hover},  {"input", PageMessage::Kind::input},
    {"focus", PageMessage::Kind::focus},  {"select", PageMessage::Kind::select},
    {"height", PageMessage::Kind::height}};

bool isEditorKind(NodeKind kind) { return kind == NodeKind::textEditor || kind == NodeKind::textField; }

void collect(const Node& tree, const Node& node, PageSnapshot& snapshot) {
  PageSnapshot::Entry entry;
  entry.html = renderNodeHTML(tree, node.nodeId()).value_or("");
  for (const Node& child : node.children) entry.children.push_back(child.nodeId());
  if (isEditorKind(node.kind)) entry.value = node.textBinding.get();
  if (node.kind == NodeKind::button || node.kind == NodeKind::toggle || node.handlers.tap)
    snapshot.clickable.push_back(node.nodeId());
  if (node.kind == NodeKind::tabView)
    for (const Node& page : node.children) snapshot.clickable.push_back(node.nodeId() + "/" + page.tag);
  if (node.handlers.hover || node.modifiers.hoverCursor) snapshot.hoverable.push_back(node.nodeId());
  snapshot.nodes.insert_or_assign(node.nodeId(), std::move(entry));
  for (const Node& child : node.children) collect(tree, child, snapshot);
}

// A node's markup with each child's markup cut out (in order) and an editor's text left out:
// what replacing the children alone cannot change. None when a child's markup is not found
// verbatim in it (the node draws its children its own way): then it is compared whole.
std::optional<std::string> ownMarkup(const PageSnapshot::Entry& entry, const PageSnapshot& snapshot) {
  std::string own;
  std::size_t position = 0;
  for (const auto& id : entry.children) {
    const auto child = snapshot.nodes.find(id);
    if (child == snapshot.nodes.end()) return std::nullopt;
    const auto at = entry.html.find(child->second.html, position);
    if (at == std::string::npos || child->second.html.empty()) return std::nullopt;
    own.append(entry.html, position, at - position);
    own += '\x01';
    position = at + child->second.html.size();
  }
  own.append(entry.html, position);
  if (entry.value) {
    const std::string text = escapeHTML(*entry.value);
    const std::string attribute = " value=\"" + text + "\"";
    const std::string closing = text + "</textarea>";
    if (const auto at = own.find(attribute); at != std::string::npos) {
      own.replace(at, attribute.size(), " value=\"\"");
    } else if (own.size() >= closing.size() && own.ends_with(closing)) {
      own.replace(own.size() - closing.size(), text.size(), "");
    }
  }
  return own;
}

void compare(const std::string& id, const PageSnapshot& before, const PageSnapshot& after,
             std::vector<PageUpdate>& updates) {
  const auto old = before.nodes.find(id);
  const auto now = after.nodes.find(id);
  if (now == after.nodes.end()) return;
  if (old == before.nodes.end()) {
    updates.push_back({PageUpdate::Kind::replace, id, now->second.html});
    return;
  }
  if (old->second.html == now->second.html) return;
  const auto oldOwn = ownMarkup(old->second, before);
  const auto newOwn = ownMarkup(now->second, after);
  if (!oldOwn || !newOwn || *oldOwn != *newOwn || old->second.children != now->second.children) {
    updates.push_back({PageUpdate::Kind::replace, id, now->second.html});
    return;
  }
  if (now->second.value && now->second.value != old->second.value)
    updates.push_back({PageUpdate::Kind::value, id, *now->second.value});
  for (const auto& child : now->second.children) compare(child, before, after, updates);
}

}  // namespace

std::optional<PageMessage> parsePageMessage(std::string_view text) {
  const json message = json::parse(text, nullptr, false);
  if (!message.is_object()) return std::nullopt;
  const auto type = message.find("type");
  if (type == message.end() || !type->is_string()) return std::nullopt;
  const auto kind = kKinds.find(type->get_ref<const std::string&>());
  if (kind == kKinds.end()) return std::nullopt;
  PageMessage result;
  result.kind = kind->second;
  const auto field = [&](const char* name) -> const json* {
    const auto found = message.find(name);
    return found == message.end() ? nullptr : &*found;
  };
  const json* id = field("id");
  if (result.kind != PageMessage::Kind::ready) {
    if (!id || !id->is_string()) return std::nullopt;
    result.id = id->get<std::string>();
  }
  switch (result.kind) {
    case PageMessage::Kind::click:
    case PageMessage::Kind::hover:
      if (result.id.empty()) return std::nullopt;
      if (result.kind == PageMessage::Kind::hover) {
        const json* inside = field("inside");
        if (!inside || !inside->is_boolean()) return std::nullopt;
        result.inside = inside->get<bool>();
      }
      break;
    case PageMessage::Kind::input:
    case PageMessage::Kind::select: {
      const json* value = field("value");
      if (result.id.empty() || !value || !value->is_string()) return std::nullopt;
      result.value = value->get<std::string>();
      break;
    }
    case PageMessage::Kind::height: {
      const json* height = field("height");
      if (!height || !height->is_number()) return std::nullopt;
      result.height = height->get<double>();
      if (!std::isfinite(result.height) || result.height < 0) return std::nullopt;
      break;
    }
    case PageMessage::Kind::ready:
    case PageMessage::Kind::focus:
      break;
  }
  return result;
}

PageSnapshot snapshotPage(const Node& tree) {
  PageSnapshot snapshot;
  snapshot.rootId = tree.nodeId();
  collect(tree, tree, snapshot);
  return snapshot;
}

std::optional<std::vector<PageUpdate>> diffPages(const PageSnapshot& before, const PageSnapshot& after) {
  if (before.rootId != after.rootId || !before.nodes.count(before.rootId)) return std::nullopt;
  std::vector<PageUpdate> updates;
  compare(after.rootId, before, after, updates);
  return updates;
}

std::string pageUpdateScript(const std::vector<PageUpdate>& updates, const PageSnapshot& snapshot) {
  json changes = json::array();
  for (const auto& update : updates) {
    changes.push_back(update.kind == PageUpdate::Kind::replace
                          ? json{{"id", update.id}, {"html", update.text}}
                          : json{{"id", update.id}, {"value", update.text}});
  }
  const json argument = {
      {"updates", changes}, {"clickable", snapshot.clickable}, {"hoverable", snapshot.hoverable}};
  // ASCII only: the text goes into a script whatever its characters.
  return "window.quellorinView&&window.quellorinView.apply(" + argument.dump(-1, ' ', true) + ");";
}

std::string pageBridgeScript(const std::vector<std::string>& measuredIds) {
  static constexpr const char* kScript = R"js(
(function () {
  const handler = window.webkit && window.webkit.messageHandlers && window.webkit.messageHandlers.quellorinView;
  const post = (message) => { if (handler) handler.postMessage(message); };
  const view = { clickable: new Set(), hoverable: new Set(), heights: new Map(), hovered: null };
  const owner = (element, ids) => {
    for (let node = element; node && node !== document; node = node.parentElement)
      if (node.id && ids.has(node.id)) return node.id;
    return null;
  };
  const isEditor = (element) => element && element.id &&
      (element.tagName === 'TEXTAREA' || (element.tagName === 'INPUT' && element.type === 'text'));
  document.addEventListener('click', (event) => {
    const id = owner(event.target, view.clickable);
    if (id === null) return;
    // The host decides what a click does (a toggle flips when its binding does).
    event.preventDefault();
    post({ type: 'click', id: id });
  }, true);
  document.addEventListener('input', (event) => {
    if (isEditor(event.target)) post({ type: 'input', id: event.target.id, value: event.target.value });
  }, true);
  document.addEventListener('change', (event) => {
    const select = event.target;
    if (select.tagName !== 'SELECT') return;
    const picker = select.closest('[id]');
    if (picker) post({ type: 'select', id: picker.id, value: select.value });
  }, true);
  document.addEventListener('focusin', (event) => {
    if (isEditor(event.target)) post({ type: 'focus', id: event.target.id });
  }, true);
  document.addEventListener('focusout', (event) => {
    if (isEditor(event.target) && !isEditor(event.relatedTarget)) post({ type: 'focus', id: '' });
  }, true);
  document.addEventListener('mouseover', (event) => {
    const id = owner(event.target, view.hoverable);
    if (id === view.hovered) return;
    if (view.hovered !== null) post({ type: 'hover', id: view.hovered, inside: false });
    view.hovered = id;
    if (id !== null) post({ type: 'hover', id: id, inside: true });
  }, true);
  const measured = MEASURED;
  const measure = () => {
    const targets = [['', document.getElementById('window')]].concat(
        measured.map((id) => [id, document.getElementById(id)]));
    for (const [id, element] of targets) {
      if (!element) continue;
      const height = Math.ceil(element.getBoundingClientRect().height);
      if (view.heights.get(id) === height) continue;
      view.heights.set(id, height);
      post({ type: 'height', id: id, height: height });
    }
  };
  const observer = new ResizeObserver(measure);
  const observe = () => {
    observer.disconnect();
    for (const id of [''].concat(measured)) {
      const element = document.getElementById(id === '' ? 'window' : id);
      if (element) observer.observe(element);
    }
  };
  view.apply = (change) => {
    const active = document.activeElement;
    const focusedId = isEditor(active) ? active.id : null;
    const selection = focusedId ? [active.selectionStart, active.selectionEnd] : null;
    const scrolled = [];
    for (const element of document.querySelectorAll('[id]'))
      if (element.scrollTop > 0 || element.scrollLeft > 0)
        scrolled.push([element.id, element.scrollTop, element.scrollLeft]);
    for (const update of change.updates) {
      const element = document.getElementById(update.id);
      if (!element) continue;
      if ('html' in update) element.outerHTML = update.html;
      else if (element.value !== update.value) element.value = update.value;
    }
    for (const [id, top, left] of scrolled) {
      const element = document.getElementById(id);
      if (element) { element.scrollTop = top; element.scrollLeft = left; }
    }
    if (focusedId) {
      const element = document.getElementById(focusedId);
      if (element && document.activeElement !== element) {
        element.focus({ preventScroll: true });
        if (selection) element.setSelectionRange(selection[0], selection[1]);
      }
    }
    view.clickable = new Set(change.clickable);
    view.hoverable = new Set(change.hoverable);
    observe();
    measure();
  };
  window.quellorinView = view;
  observe();
  post({ type: 'ready' });
})();
)js";
  std::string script = kScript;
  const std::string marker = "MEASURED";
  script.replace(script.find(marker), marker.size(), json(measuredIds).dump(-1, ' ', true));
  return script;
}

}  // namespace ui

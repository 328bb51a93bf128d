#include "UI/Host.h"

#include <stdexcept>
#include <utility>

#include "Platform/Dispatch/MainQueue.h"
#include "UI/Layout.h"

namespace ui {

namespace {

void collect(const Node& node, std::vector<const Node*>& nodes) {
  nodes.push_back(&node);
  for (const Node& child : node.children) collect(child, nodes);
}

// Calls `visit(node, enabled)` for every node, `enabled` false below a disabled or hidden node.
template <class Visit>
bool visitEnabled(const Node& node, bool enabled, Visit& visit) {
  enabled = enabled && !node.modifiers.disabled && !node.modifiers.hidden;
  if (visit(node, enabled)) return true;
  for (const Node& child : node.children)
    if (visitEnabled(child, enabled, visit)) return true;
  return false;
}

bool isEditor(const Node& node) {
  return node.kind == NodeKind::textEditor || node.kind == NodeKind::textField;
}

std::string withoutLastCharacter(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0) {
    --end;
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) break;
  }
  return text.substr(0, end);
}

}  // namespace

Host::Host(std::shared_ptr<View> root, Options options, EnvironmentObjects environment)
    : root_(std::move(root)),
      options_(options),
      environment_(std::move(environment)),
      queue_(platform::MainQueue::main()) {}

Host::~Host() = default;

std::shared_ptr<Host> Host::make(std::shared_ptr<View> root) { return make(std::move(root), Options()); }

std::shared_ptr<Host> Host::make(std::shared_ptr<View> root, Options options,
                                 EnvironmentObjects environment) {
  if (!root) throw std::invalid_argument("ui::Host needs a root view");
  std::shared_ptr<Host> host(new Host(std::move(root), options, std::move(environment)));
  host->render();
  return host;
}

void Host::setNeedsRender() {
  if (renderPending_.exchange(true)) return;
  std::weak_ptr<Host> weak = weak_from_this();
  queue_->async([weak] {
    if (auto host = weak.lock(); host && host->renderPending_) host->render();
  });
}

Node Host::expand(Node node, const EnvironmentObjects& inherited) {
  const EnvironmentObjects* environment = &inherited;
  EnvironmentObjects merged;
  if (!node.environment.empty()) {
    merged = inherited;
    merged.merge(node.environment);
    environment = &merged;
    for (const auto& changes : node.environment.observed()) changes->subscribe(shared_from_this());
  }
  if (node.kind == NodeKind::view) {
    std::shared_ptr<View> view = std::move(node.view);
    node.kind = NodeKind::group;
    if (view) {
      view->host_ = weak_from_this();
      view->environment_ = *environment;
      view->invalidator_->subscribe(shared_from_this());
      node.children.clear();
      node.children.push_back(view->body());
    }
  }
  for (Node& child : node.children) child = expand(std::move(child), *environment);
  return node;
}

void Host::render() {
  renderPending_ = false;
  Node root(NodeKind::view);
  root.view = root_;
  Node tree = expand(std::move(root), environment_);
  assignIds(tree);

  std::vector<const Node*> nodes;
  collect(tree, nodes);
  std::set<std::string> explicitIds;
  for (const Node* node : nodes) {
    if (node->isActionable() && node->explicitId.empty())
      throw std::logic_error(std::string("ui::Host: a ") + nodeKindName(node->kind) + " without an id at " +
                             node->resolvedId);
    if (!node->explicitId.empty() && !explicitIds.insert(node->explicitId).second)
      throw std::logic_error("ui::Host: two nodes with the id " + node->explicitId);
  }

  std::set<std::string> newIds;
  for (const Node* node : nodes) newIds.insert(node->resolvedId);
  std::vector<const Node*> oldNodes;
  if (renderCount_ > 0) collect(tree_, oldNodes);
  std::set<std::string> oldIds;
  for (const Node* node : oldNodes) oldIds.insert(node->resolvedId);

  Node previous = std::exchange(tree_, std::move(tree));
  ++renderCount_;

  // The focus follows the focus states: an editor whose state is true holds it.
  std::string focused;
  nodes.clear();
  collect(tree_, nodes);
  for (const Node* node : nodes)
    if (isEditor(*node) && node->focusBinding && node->focusBinding.get()) {
      focused = node->resolvedId;
      break;
    }
  if (!focused.empty())
    focusedId_ = focused;
  else if (focusedId_.empty() || !tree_.find(focusedId_) ||
           (tree_.find(focusedId_)->focusBinding && !tree_.find(focusedId_)->focusBinding.get()))
    focusedId_.clear();

  updateWebViews();

  // Handlers are copied out first: they may change state, which only schedules a render.
  std::vector<std::function<void()>> disappearing, appearing;
  oldNodes.clear();
  collect(previous, oldNodes);
  for (const Node* node : oldNodes)
    if (node->handlers.disappear && !newIds.count(node->resolvedId))
      disappearing.push_back(node->handlers.disappear);
  for (const Node* node : nodes)
    if (node->handlers.appear && !oldIds.count(node->resolvedId)) appearing.push_back(node->handlers.appear);
  for (auto& handler : disappearing) handler();
  for (auto& handler : appearing) handler();
  std::erase_if(renderObservers_, [](const auto& observer) { return observer.expired(); });
  for (const auto& weak : std::vector(renderObservers_))
    if (const auto observer = weak.lock()) (*observer)();
}

void Host::addRenderObserver(const std::shared_ptr<RenderObserver>& observer) {
  renderObservers_.push_back(observer);
}

Host::MonitorToken Host::addLocalKeyMonitor(KeyMonitor monitor) {
  MonitorToken token = nextMonitor_++;
  monitors_.emplace(token, std::move(monitor));
  return token;
}

void Host::removeLocalKeyMonitor(MonitorToken token) { monitors_.erase(token); }

std::optional<KeyRoute> Host::routeToMonitorsAndShortcuts(KeyEvent& event) {
  std::vector<MonitorToken> tokens;
  for (const auto& [token, monitor] : monitors_) tokens.push_back(token);
  for (MonitorToken token : tokens) {
    auto found = monitors_.find(token);
    if (found == monitors_.end()) continue;
    KeyMonitor monitor = found->second;
    auto passed = monitor(event);
    if (!passed) return KeyRoute::monitor;
    event = std::move(*passed);
  }

  std::function<void()> shortcutAction;
  auto findShortcut = [&](const Node& node, bool enabled) {
    if (!enabled || !node.modifiers.keyboardShortcut || !node.modifiers.keyboardShortcut->matches(event))
      return false;
    if (node.kind != NodeKind::button) return false;
    shortcutAction = node.action ? node.action : node.handlers.tap;
    return true;
  };
  if (visitEnabled(tree_, true, findShortcut)) {
    if (shortcutAction) shortcutAction();
    return KeyRoute::shortcut;
  }
  return std::nullopt;
}

KeyRoute Host::keyAheadOfDisplay(const KeyEvent& original) {
  KeyEvent event = original;
  if (const auto route = routeToMonitorsAndShortcuts(event)) return *route;
  Node* editor = focusedId_.empty() ? nullptr : tree_.find(focusedId_);
  if (editor && editor->kind == NodeKind::textField && isEnabled(focusedId_) &&
      event.keyCode == keycode::returnKey && !event.has(modifier::command) && !event.has(modifier::control)) {
    if (auto submit = editor->handlers.submit) submit();
    return KeyRoute::editor;
  }
  return KeyRoute::unhandled;
}

bool Host::setEditorText(std::string_view id, const std::string& text) {
  Node* editor = tree_.find(id);
  if (!editor || !isEditor(*editor) || !isEnabled(id)) return false;
  Binding<std::string> binding = editor->textBinding;
  auto change = editor->handlers.change;
  if (binding.get() == text) return true;
  binding.set(text);
  if (change) change(text);
  return true;
}

void Host::setDisplayedHeight(const std::string& id, double height) {
  auto [entry, added] = displayedHeights_.try_emplace(id, height);
  if (!added && entry->second == height) return;
  entry->second = height;
  setNeedsRender();
}

std::optional<double> Host::displayedHeight(std::string_view id) const {
  const auto found = displayedHeights_.find(id);
  if (found == displayedHeights_.end()) return std::nullopt;
  return found->second;
}

KeyRoute Host::key(const KeyEvent& original) {
  KeyEvent event = original;
  if (const auto route = routeToMonitorsAndShortcuts(event)) return *route;

  Node* editor = focusedId_.empty() ? nullptr : tree_.find(focusedId_);
  if (!editor || !isEditor(*editor) || !isEnabled(focusedId_)) return KeyRoute::unhandled;
  if (event.has(modifier::command) || event.has(modifier::control)) return KeyRoute::unhandled;
  std::string value = editor->textBinding.get();
  Binding<std::string> binding = editor->textBinding;
  auto change = editor->handlers.change;
  if (event.keyCode == keycode::returnKey && !event.characters.empty()) {
    if (editor->kind == NodeKind::textField) {
      if (auto submit = editor->handlers.submit) submit();
      return KeyRoute::editor;
    }
    value += "\n";
  } else if (event.keyCode == keycode::deleteKey && event.characters.empty()) {
    if (value.empty()) return KeyRoute::editor;
    value = withoutLastCharacter(value);
  } else if (!event.characters.empty() && static_cast<unsigned char>(event.characters[0]) >= 0x20 &&
             event.characters[0] != 0x7F) {
    value += event.characters;
  } else {
    return KeyRoute::unhandled;
  }
  binding.set(value);
  if (change) change(value);
  return KeyRoute::editor;
}

bool Host::focus(const std::string& id) {
  Node* target = id.empty() ? nullptr : tree_.find(id);
  if (!id.empty() && (!target || !isEditor(*target) || !isEnabled(id))) return false;
  if (id == focusedId_) return true;
  if (Node* previous = focusedId_.empty() ? nullptr : tree_.find(focusedId_);
      previous && previous->focusBinding)
    previous->focusBinding.set(false);
  focusedId_ = id;
  if (target && target->focusBinding) target->focusBinding.set(true);
  return true;
}

void Host::updateWebViews() {
  std::vector<const Node*> nodes;
  collect(tree_, nodes);
  std::vector<std::pair<std::shared_ptr<WebViewContent>, std::shared_ptr<platform::WebView>>> shown;
  std::map<std::string, std::shared_ptr<platform::WebView>, std::less<>> kept;
  for (const Node* node : nodes) {
    if (node->kind != NodeKind::webView || !node->webContent) continue;
    std::shared_ptr<platform::WebView> view;
    if (auto found = webViews_.find(node->nodeId()); found != webViews_.end()) view = found->second;
    if (!view) view = node->webContent->makeWebView({0, 0, options_.width, node->preferredHeight});
    if (!view) continue;
    kept[node->nodeId()] = view;
    shown.emplace_back(node->webContent, view);
  }
  // Dropped before the updates run, so that an update that renders again sees the tree's views only.
  webViews_ = std::move(kept);
  for (auto& [content, view] : shown) content->updateWebView(view);
}

std::shared_ptr<platform::WebView> Host::webView(std::string_view id) const {
  auto found = webViews_.find(id);
  return found == webViews_.end() ? nullptr : found->second;
}

bool Host::isEnabled(std::string_view id) const {
  bool result = false;
  auto check = [&](const Node& node, bool enabled) {
    if (node.nodeId() != id) return false;
    result = enabled;
    return true;
  };
  visitEnabled(tree_, true, check);
  return result;
}

bool Host::click(std::string_view id) {
  if (auto slash = id.find('/'); slash != std::string_view::npos) {
    Node* tabs = tree_.find(id.substr(0, slash));
    std::string tag(id.substr(slash + 1));
    if (!tabs || tabs->kind != NodeKind::tabView || !isEnabled(tabs->nodeId())) return false;
    for (const Node& page : tabs->children)
      if (page.tag == tag) {
        tabs->textBinding.set(tag);
        return true;
      }
    return false;
  }
  Node* node = tree_.find(id);
  if (!node || !isEnabled(id)) return false;
  auto tap = node->handlers.tap;
  switch (node->kind) {
    case NodeKind::button:
      if (auto action = node->action) action();
      break;
    case NodeKind::toggle: {
      auto binding = node->boolBinding;
      auto change = node->handlers.change;
      bool value = !binding.get();
      binding.set(value);
      if (change) change(value ? "true" : "false");
      break;
    }
    case NodeKind::textEditor:
    case NodeKind::textField:
      focus(std::string(id));
      break;
    default:
      if (!tap) return false;
  }
  if (tap) tap();
  return true;
}

bool Host::select(std::string_view id, const std::string& tag) {
  Node* node = tree_.find(id);
  if (!node || node->kind != NodeKind::picker || !isEnabled(id)) return false;
  for (const Node& option : node->children)
    if (option.tag == tag) {
      auto binding = node->textBinding;
      auto change = node->handlers.change;
      binding.set(tag);
      if (change) change(tag);
      return true;
    }
  return false;
}

bool Host::hover(std::string_view id, bool inside) {
  const Node* node = tree_.find(id);
  if (!node) return false;
  if (node->modifiers.hoverCursor) cursor_ = inside ? *node->modifiers.hoverCursor : Cursor::arrow;
  if (auto handler = node->handlers.hover) handler(inside);
  return true;
}

std::size_t Host::type(const std::string& text, std::string_view id) {
  if (!id.empty() && !focus(std::string(id))) return 0;
  std::size_t taken = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xF0)
      length = 4;
    else if (lead >= 0xE0)
      length = 3;
    else if (lead >= 0xC0)
      length = 2;
    std::string character = text.substr(i, length);
    i += length;
    KeyEvent event = character == "\n" ? KeyEvent::code(keycode::returnKey) : KeyEvent::character(character);
    if (key(event) == KeyRoute::editor) ++taken;
  }
  return taken;
}

double Host::measuredHeight(std::string_view id) const {
  const Node* node = id.empty() ? &tree_ : tree_.find(id);
  return node ? measure(*node, options_.width).height : 0;
}

double Host::measuredWidth(std::string_view id) const {
  const Node* node = id.empty() ? &tree_ : tree_.find(id);
  return node ? measure(*node, options_.width).width : 0;
}

}  // namespace ui

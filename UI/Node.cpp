#include "UI/Node.h"

#include <utility>

#include "UI/View.h"

namespace ui {

const char* nodeKindName(NodeKind kind) {
  switch (kind) {
    case NodeKind::empty:
      return "empty";
    case NodeKind::group:
      return "group";
    case NodeKind::vstack:
      return "vstack";
    case NodeKind::hstack:
      return "hstack";
    case NodeKind::zstack:
      return "zstack";
    case NodeKind::text:
      return "text";
    case NodeKind::symbol:
      return "symbol";
    case NodeKind::image:
      return "image";
    case NodeKind::button:
      return "button";
    case NodeKind::textEditor:
      return "text-editor";
    case NodeKind::textField:
      return "text-field";
    case NodeKind::toggle:
      return "toggle";
    case NodeKind::picker:
      return "picker";
    case NodeKind::menu:
      return "menu";
    case NodeKind::divider:
      return "divider";
    case NodeKind::spacer:
      return "spacer";
    case NodeKind::list:
      return "list";
    case NodeKind::form:
      return "form";
    case NodeKind::section:
      return "section";
    case NodeKind::tabView:
      return "tab-view";
    case NodeKind::progress:
      return "progress";
    case NodeKind::webView:
      return "web-view";
    case NodeKind::video:
      return "video";
    case NodeKind::view:
      return "view";
  }
  return "node";
}

void EnvironmentObjects::merge(const EnvironmentObjects& other) {
  for (const auto& [type, object] : other.objects_) objects_[type] = object;
  observed_.insert(observed_.end(), other.observed_.begin(), other.observed_.end());
}

ObservableObject::ObservableObject() : changes_(std::make_shared<Invalidator>()) {}
ObservableObject::~ObservableObject() = default;
void ObservableObject::objectDidChange() { changes_->invalidate(); }

Node& Node::id(std::string value) {
  explicitId = std::move(value);
  return *this;
}
Node& Node::padding(double all) { return padding(EdgeInsets{all, all, all, all}); }
Node& Node::padding(double vertical, double horizontal) {
  return padding(EdgeInsets{vertical, horizontal, vertical, horizontal});
}
Node& Node::padding(EdgeInsets insets) {
  modifiers.padding = insets;
  return *this;
}
Node& Node::frame(std::optional<double> width, std::optional<double> height, Alignment frameAlignment) {
  Frame value;
  value.width = width;
  value.height = height;
  value.alignment = frameAlignment;
  return frame(value);
}
Node& Node::frame(Frame value) {
  modifiers.frame = value;
  return *this;
}
Node& Node::background(Color color) {
  modifiers.background = std::move(color);
  return *this;
}
Node& Node::foreground(Color color) {
  modifiers.foreground = std::move(color);
  return *this;
}
Node& Node::font(Font value) {
  modifiers.font = value;
  return *this;
}
Node& Node::opacity(double value) {
  modifiers.opacity = value;
  return *this;
}
Node& Node::cornerRadius(double radius) {
  modifiers.cornerRadius = radius;
  return *this;
}
Node& Node::stroke(Color color, double lineWidth, double radius) {
  modifiers.stroke = Stroke{std::move(color), lineWidth, radius};
  return *this;
}
Node& Node::shadow(Shadow value) {
  modifiers.shadow = std::move(value);
  return *this;
}
Node& Node::disabled(bool value) {
  modifiers.disabled = value;
  return *this;
}
Node& Node::hidden(bool value) {
  modifiers.hidden = value;
  return *this;
}
Node& Node::keyboardShortcut(KeyboardShortcut shortcut) {
  modifiers.keyboardShortcut = std::move(shortcut);
  return *this;
}
Node& Node::tooltip(std::string value) {
  modifiers.tooltip = std::move(value);
  return *this;
}
Node& Node::hoverCursor(Cursor cursor) {
  modifiers.hoverCursor = cursor;
  return *this;
}
Node& Node::lineLimit(int lines) {
  modifiers.lineLimit = lines;
  return *this;
}
Node& Node::onTap(std::function<void()> handler) {
  handlers.tap = std::move(handler);
  return *this;
}
Node& Node::onHover(std::function<void(bool)> handler) {
  handlers.hover = std::move(handler);
  return *this;
}
Node& Node::onAppear(std::function<void()> handler) {
  handlers.appear = std::move(handler);
  return *this;
}
Node& Node::onDisappear(std::function<void()> handler) {
  handlers.disappear = std::move(handler);
  return *this;
}
Node& Node::onSubmit(std::function<void()> handler) {
  handlers.submit = std::move(handler);
  return *this;
}
Node& Node::onChange(std::function<void(const std::string&)> handler) {
  handlers.change = std::move(handler);
  return *this;
}
Node& Node::focused(Binding<bool> focus) {
  focusBinding = std::move(focus);
  return *this;
}
Node& Node::tagged(std::string value) {
  tag = std::move(value);
  return *this;
}
Node& Node::tabItem(std::string label, std::string symbolName) {
  tabLabel = std::move(label);
  tabSymbol = std::move(symbolName);
  return *this;
}
Node& Node::markChecked(bool value) {
  checked = value;
  return *this;
}

bool Node::isActionable() const {
  switch (kind) {
    case NodeKind::button:
    case NodeKind::textEditor:
    case NodeKind::textField:
    case NodeKind::toggle:
    case NodeKind::picker:
    case NodeKind::menu:
    case NodeKind::tabView:
      return true;
    default:
      return false;
  }
}

const Node* Node::find(std::string_view wanted) const {
  if (nodeId() == wanted) return this;
  for (const Node& child : children)
    if (const Node* found = child.find(wanted)) return found;
  return nullptr;
}

Node* Node::find(std::string_view wanted) {
  return const_cast<Node*>(static_cast<const Node*>(this)->find(wanted));
}

namespace {

Node container(NodeKind kind, std::vector<Node> children) {
  Node node(kind);
  node.children = std::move(children);
  return node;
}

}  // namespace

Node VStack(std::vector<Node> children, Alignment alignment, std::optional<double> spacing) {
  Node node = container(NodeKind::vstack, std::move(children));
  node.alignment = alignment;
  node.spacing = spacing;
  return node;
}
Node HStack(std::vector<Node> children, Alignment alignment, std::optional<double> spacing) {
  Node node = container(NodeKind::hstack, std::move(children));
  node.alignment = alignment;
  node.spacing = spacing;
  return node;
}
Node ZStack(std::vector<Node> children, Alignment alignment) {
  Node node = container(NodeKind::zstack, std::move(children));
  node.alignment = alignment;
  return node;
}
Node Group(std::vector<Node> children) { return container(NodeKind::group, std::move(children)); }
Node Empty() { return Node(NodeKind::empty); }
Node Text(std::string text) {
  Node node(NodeKind::text);
  node.text = std::move(text);
  return node;
}
Node Symbol(std::string name) {
  Node node(NodeKind::symbol);
  node.symbol = std::move(name);
  return node;
}
Node Image(std::string url) {
  Node node(NodeKind::image);
  node.text = std::move(url);
  return node;
}
Node Button(std::string id, std::string title, std::function<void()> action, std::string symbolName) {
  Node node(NodeKind::button);
  node.explicitId = std::move(id);
  node.text = std::move(title);
  node.symbol = std::move(symbolName);
  node.action = std::move(action);
  return node;
}
Node Button(std::string id, Node label, std::function<void()> action) {
  Node node(NodeKind::button);
  node.explicitId = std::move(id);
  node.children.push_back(std::move(label));
  node.action = std::move(action);
  return node;
}
Node TextEditor(std::string id, Binding<std::string> text) {
  Node node(NodeKind::textEditor);
  node.explicitId = std::move(id);
  node.textBinding = std::move(text);
  return node;
}
Node TextField(std::string id, std::string placeholder, Binding<std::string> text) {
  Node node(NodeKind::textField);
  node.explicitId = std::move(id);
  node.text = std::move(placeholder);
  node.textBinding = std::move(text);
  return node;
}
Node Toggle(std::string id, std::string label, Binding<bool> isOn) {
  Node node(NodeKind::toggle);
  node.explicitId = std::move(id);
  node.text = std::move(label);
  node.boolBinding = std::move(isOn);
  return node;
}
Node Picker(std::string id, std::string label, Binding<std::string> selection, std::vector<Node> options) {
  Node node = container(NodeKind::picker, std::move(options));
  node.explicitId = std::move(id);
  node.text = std::move(label);
  node.textBinding = std::move(selection);
  return node;
}
Node Menu(std::string id, std::string title, std::vector<Node> items, std::string symbolName) {
  Node node = container(NodeKind::menu, std::move(items));
  node.explicitId = std::move(id);
  node.text = std::move(title);
  node.symbol = std::move(symbolName);
  return node;
}
Node Divider() { return Node(NodeKind::divider); }
Node Spacer() { return Node(NodeKind::spacer); }
Node List(std::vector<Node> rows) { return container(NodeKind::list, std::move(rows)); }
Node Form(std::vector<Node> sections) { return container(NodeKind::form, std::move(sections)); }
Node Section(std::string header, std::vector<Node> rows) {
  return Section(Text(std::move(header)), std::move(rows));
}
Node Section(Node header, std::vector<Node> rows) {
  Node node(NodeKind::section);
  node.children.push_back(std::move(header));
  for (Node& row : rows) node.children.push_back(std::move(row));
  return node;
}
Node TabView(std::string id, Binding<std::string> selection, std::vector<Node> pages) {
  Node node = container(NodeKind::tabView, std::move(pages));
  node.explicitId = std::move(id);
  node.textBinding = std::move(selection);
  return node;
}
Node ProgressView(std::optional<double> value) {
  Node node(NodeKind::progress);
  node.progressValue = value;
  return node;
}
Node WebViewSlot(std::string id, double height, std::shared_ptr<WebViewContent> content) {
  Node node(NodeKind::webView);
  node.explicitId = std::move(id);
  node.preferredHeight = height;
  node.webContent = std::move(content);
  return node;
}
Node Video(std::string id, std::string url, double height) {
  Node node(NodeKind::video);
  node.explicitId = std::move(id);
  node.text = std::move(url);
  node.preferredHeight = height;
  return node;
}
Node Embed(std::shared_ptr<View> child) {
  Node node(NodeKind::view);
  node.view = std::move(child);
  return node;
}

void assignIds(Node& root, const std::string& rootId) {
  root.resolvedId = root.explicitId.empty() ? rootId : root.explicitId;
  for (std::size_t i = 0; i < root.children.size(); ++i)
    assignIds(root.children[i], root.resolvedId + "." + std::to_string(i));
}

}  // namespace ui

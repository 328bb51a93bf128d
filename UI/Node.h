#pragma once

#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "UI/Binding.h"
#include "UI/Color.h"
#include "UI/KeyEvent.h"
#include "UI/WebViewContent.h"

namespace ui {

class View;
class Invalidator;

// "As wide (or high) as offered", for a frame's maximum.
constexpr double infinity = std::numeric_limits<double>::infinity();

// The platform's default spacing between the items of a stack, in points.
constexpr double defaultSpacing = 8;

enum class NodeKind {
  empty,
  group,  // one child: a view's body, or a wrapper that orders modifiers
  vstack,
  hstack,
  zstack,
  text,
  symbol,
  image,
  button,
  textEditor,
  textField,
  toggle,
  picker,
  menu,
  divider,
  spacer,
  list,
  form,
  section,
  tabView,
  progress,
  webView,
  video,
  view,  // a child view, replaced by its body when the host evaluates the tree
};

const char* nodeKindName(NodeKind kind);

enum class Alignment {
  center,
  leading,
  trailing,
  top,
  bottom,
  topLeading,
  topTrailing,
  bottomLeading,
  bottomTrailing
};

enum class Cursor { arrow, pointingHand, iBeam };

struct EdgeInsets {
  double top = 0;
  double leading = 0;
  double bottom = 0;
  double trailing = 0;
  bool operator==(const EdgeInsets&) const = default;
};

// Fixed or bounded sizes in points; `infinity` as a maximum takes all the room offered.
struct Frame {
  std::optional<double> width, height;
  std::optional<double> minWidth, maxWidth, minHeight, maxHeight;
  Alignment alignment = Alignment::center;
};

// A font: a text style of the platform, or a size. Sizes are in points.
struct Font {
  double size = 13;
  bool bold = false;
  bool monospaced = false;
  static Font system(double size, bool bold = false) { return {size, bold, false}; }
  static Font body() { return {13, false, false}; }
  static Font headline() { return {13, true, false}; }
  static Font subheadline() { return {11, false, false}; }
  static Font footnote() { return {10, false, false}; }
  static Font caption() { return {10, false, false}; }
  static Font title() { return {22, false, false}; }
  bool operator==(const Font&) const = default;
};

struct Stroke {
  Color color;
  double lineWidth = 1;
  double cornerRadius = 0;
};

struct Shadow {
  Color color = Color::black().opacity(0.33);
  double radius = 1;
  double x = 0;
  double y = 0;
};

// The typed modifiers of a node. They apply in one fixed order, inside out: padding, frame,
// background, rounded clip, stroke, shadow, opacity. Where a view needs another order, it
// wraps the node in a Group and modifies the group.
struct Modifiers {
  std::optional<EdgeInsets> padding;
  std::optional<Frame> frame;
  std::optional<Color> background;
  std::optional<Color> foreground;
  std::optional<Font> font;
  double opacity = 1;
  double cornerRadius = 0;
  std::optional<Stroke> stroke;
  std::optional<Shadow> shadow;
  bool disabled = false;
  bool hidden = false;  // invisible and inert, but keeps its place
  std::optional<KeyboardShortcut> keyboardShortcut;
  std::string tooltip;
  std::optional<Cursor> hoverCursor;
  std::optional<int> lineLimit;
};

// Handlers. Each runs on the main queue, called by the host. A handler outlives the body()
// call that made it: it must not capture `this` of a view or references to locals. Capture a
// State/AppStorage/Binding (they share their cell), or reach the view through
// View::weakly(), which does nothing once the view is gone.
struct Handlers {
  std::function<void()> tap;
  std::function<void(bool inside)> hover;
  std::function<void()> appear;
  std::function<void()> disappear;
  std::function<void()> submit;
  std::function<void(const std::string& value)> change;
};

// Shared objects handed by a node to every view below it, by type.
class EnvironmentObjects {
 public:
  template <class T>
  void set(std::shared_ptr<T> object) {
    objects_[std::type_index(typeid(T))] = std::move(object);
  }
  template <class T>
  std::shared_ptr<T> get() const {
    auto found = objects_.find(std::type_index(typeid(T)));
    return found == objects_.end() ? nullptr : std::static_pointer_cast<T>(found->second);
  }
  // `other`'s objects over this one's.
  void merge(const EnvironmentObjects& other);
  bool empty() const { return objects_.empty(); }
  const std::vector<std::shared_ptr<Invalidator>>& observed() const { return observed_; }
  void observe(std::shared_ptr<Invalidator> changes) { observed_.push_back(std::move(changes)); }

 private:
  std::map<std::type_index, std::shared_ptr<void>> objects_;
  std::vector<std::shared_ptr<Invalidator>> observed_;  // ObservableObjects among them
};

// An object whose changes re-render every host that shows a view below the node that handed it
// down (see Node::environmentObject). Call objectDidChange() after changing it, from any thread.
class ObservableObject {
 public:
  ObservableObject();
  virtual ~ObservableObject();
  void objectDidChange();
  const std::shared_ptr<Invalidator>& changes() const { return changes_; }

 private:
  std::shared_ptr<Invalidator> changes_;
};

// One element of a view tree: a value, copied freely. Builders (VStack, Text, Button...) make
// nodes; modifiers change a node in place and return it, so they chain:
//
//   ui::VStack({ui::Text("Hello"), ui::Button("ok", "OK", action)}).padding(8).background(...)
//
// Ids: an explicit id (id()) is the node's stable identity in the host, in find(), in appear
// and disappear, and in the HTML. A node without one gets its place in the tree ("root.0.2").
// Every node a person can act on (button, editor, field, toggle, picker, menu) must have an
// explicit id: the host refuses a tree without them.
class Node {
 public:
  Node() = default;
  explicit Node(NodeKind nodeKind) : kind(nodeKind) {}

  NodeKind kind = NodeKind::empty;
  std::string explicitId;
  std::string text;    // text, title, label, placeholder, url
  std::string symbol;  // system symbol name (symbol nodes, labels of buttons and tab items)
  std::optional<double> spacing;
  Alignment alignment = Alignment::center;
  std::vector<Node> children;
  Modifiers modifiers;
  Handlers handlers;

  std::function<void()> action;         // button, menu item
  Binding<std::string> textBinding;     // text field, text editor, picker selection, tab view
  Binding<bool> boolBinding;            // toggle
  Binding<bool> focusBinding;           // editors: the shared focus state
  std::string tag;                      // picker option, tab page
  std::string tabLabel, tabSymbol;      // a tab page: its item in the tab bar
  std::optional<bool> checked;          // menu item mark
  std::optional<double> progressValue;  // none: indeterminate
  double preferredHeight = 0;           // web view slot, video
  std::shared_ptr<View> view;           // kind view
  EnvironmentObjects environment;       // handed to every view below
  // Web view slot: what it shows (see WebViewContent).
  std::shared_ptr<WebViewContent> webContent;

  // The id the host gives this node (explicit or by place); set by the host, or by
  // assignIds() for a tree made by hand.
  std::string resolvedId;
  const std::string& nodeId() const { return resolvedId.empty() ? explicitId : resolvedId; }

  // Modifiers.
  Node& id(std::string value);
  Node& padding(double all = defaultSpacing);
  Node& padding(double vertical, double horizontal);
  Node& padding(EdgeInsets insets);
  Node& frame(std::optional<double> width, std::optional<double> height,
              Alignment alignment = Alignment::center);
  Node& frame(Frame value);
  Node& background(Color color);
  Node& foreground(Color color);
  Node& font(Font value);
  Node& opacity(double value);
  Node& cornerRadius(double radius);
  Node& stroke(Color color, double lineWidth = 1, double cornerRadius = 0);
  Node& shadow(Shadow value);
  Node& disabled(bool value = true);
  Node& hidden(bool value = true);
  Node& keyboardShortcut(KeyboardShortcut shortcut);
  Node& tooltip(std::string text);
  Node& help(std::string value) { return tooltip(std::move(value)); }
  Node& hoverCursor(Cursor cursor);
  Node& lineLimit(int lines);
  Node& onTap(std::function<void()> handler);
  Node& onHover(std::function<void(bool)> handler);
  Node& onAppear(std::function<void()> handler);
  Node& onDisappear(std::function<void()> handler);
  Node& onSubmit(std::function<void()> handler);
  Node& onChange(std::function<void(const std::string&)> handler);
  Node& focused(Binding<bool> focus);
  Node& tagged(std::string value);
  // A tab page's item in the tab bar.
  Node& tabItem(std::string label, std::string symbolName = "");
  Node& markChecked(bool value = true);
  template <class T>
  Node& environmentObject(std::shared_ptr<T> object) {
    if constexpr (std::is_base_of_v<ObservableObject, T>) {
      if (object) environment.observe(object->changes());
    }
    environment.set(std::move(object));
    return *this;
  }

  // Whether a person can act on this kind of node.
  bool isActionable() const;
  // The first node with `id` in this subtree (by nodeId()), or null.
  const Node* find(std::string_view id) const;
  Node* find(std::string_view id);
};

// Builders.
Node VStack(std::vector<Node> children, Alignment alignment = Alignment::center,
            std::optional<double> spacing = std::nullopt);
Node HStack(std::vector<Node> children, Alignment alignment = Alignment::center,
            std::optional<double> spacing = std::nullopt);
Node ZStack(std::vector<Node> children, Alignment alignment = Alignment::center);
Node Group(std::vector<Node> children);
Node Empty();
Node Text(std::string text);
Node Symbol(std::string name);
Node Image(std::string url);
// A button labelled with a title (and optional symbol), or with a node of its own.
Node Button(std::string id, std::string title, std::function<void()> action, std::string symbolName = "");
Node Button(std::string id, Node label, std::function<void()> action);
Node TextEditor(std::string id, Binding<std::string> text);
Node TextField(std::string id, std::string placeholder, Binding<std::string> text);
Node Toggle(std::string id, std::string label, Binding<bool> isOn);
// Options are nodes with tags (usually Text("...").tagged("value")); the selection holds a tag.
Node Picker(std::string id, std::string label, Binding<std::string> selection, std::vector<Node> options);
// A menu or submenu: its items are buttons, menus and dividers.
Node Menu(std::string id, std::string title, std::vector<Node> items, std::string symbolName = "");
Node Divider();
Node Spacer();
Node List(std::vector<Node> rows);
Node Form(std::vector<Node> sections);
Node Section(std::string header, std::vector<Node> rows);
Node Section(Node header, std::vector<Node> rows);
// Pages carry tabItem() and tagged(); the selection holds the shown page's tag.
Node TabView(std::string id, Binding<std::string> selection, std::vector<Node> pages);
Node ProgressView(std::optional<double> value = std::nullopt);
// Where a window's web view goes; `height` is its current height in points. With `content`, the
// host makes and updates the web view through it (see WebViewContent).
Node WebViewSlot(std::string id, double height, std::shared_ptr<WebViewContent> content = nullptr);
Node Video(std::string id, std::string url, double height);
// A child view: the host evaluates its body in place. Keep the child's shared_ptr in the parent
// for the child's state to last across renders.
Node Embed(std::shared_ptr<View> child);

// Gives every node its resolvedId: the explicit id, else `rootId` for the root and the parent's
// id, ".", index below it. The host does this on every render.
void assignIds(Node& root, const std::string& rootId = "root");

}  // namespace ui

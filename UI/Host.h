#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "UI/Color.h"
#include "UI/KeyEvent.h"
#include "UI/Node.h"
#include "UI/View.h"

namespace platform {
class MainQueue;
class WebView;
}  // namespace platform

namespace ui {

// Which stage took a key.
enum class KeyRoute { monitor, shortcut, editor, unhandled };

// Holds a root view for one window: evaluates it into a node tree, evaluates it again after
// state changes, fires appear and disappear, routes keys, and lets tests act like a person.
//
// Threads: everything runs on the main queue, except setNeedsRender(), which any thread may
// call. Re-evaluation is coalesced: any number of changes before the queue gets to it give one
// render. Handlers run on the calling (main) thread; changes they make render later, on the
// main queue (tests: VirtualEnvironment::advance(0) or runUntilIdle(), or call render()).
//
// Appear and disappear are by id: after each render, nodes whose id was not in the previous
// tree get their appear handler (in tree order), and nodes of the previous tree whose id is
// gone get their disappear handler. An exception from a handler propagates to the caller (on
// the main queue it is logged there).
class Host : public std::enable_shared_from_this<Host> {
 public:
  struct Options {
    double width = 0;  // the window's content width in points; 0: as wide as the content
    ColorScheme colorScheme = ColorScheme::light;
  };

  // Evaluates `root` at once. `environment` is handed to every view of the tree.
  static std::shared_ptr<Host> make(std::shared_ptr<View> root);
  static std::shared_ptr<Host> make(std::shared_ptr<View> root, Options options,
                                    EnvironmentObjects environment = EnvironmentObjects());
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Thread-safe: schedules one render on the main queue unless one is pending.
  void setNeedsRender();
  // Evaluates the tree now. Throws std::logic_error for a node a person can act on that has no
  // explicit id, or for two nodes with the same explicit id.
  void render();
  // How many renders have run.
  std::uint64_t renderCount() const { return renderCount_; }

  const Node& tree() const { return tree_; }
  const std::shared_ptr<View>& root() const { return root_; }
  const Options& options() const { return options_; }
  void setColorScheme(ColorScheme scheme) { options_.colorScheme = scheme; }

  // Local key monitors, in the order added: each gets the key and answers the key to pass on
  // (possibly changed) or none to swallow it.
  using KeyMonitor = std::function<std::optional<KeyEvent>(const KeyEvent&)>;
  using MonitorToken = std::uint64_t;
  MonitorToken addLocalKeyMonitor(KeyMonitor monitor);
  // Unknown tokens are ignored; removing from inside a monitor is allowed.
  void removeLocalKeyMonitor(MonitorToken token);

  // Routes a key: local monitors; then the keyboard shortcut of an enabled button (or menu
  // item) anywhere in the tree, whatever its opacity, but not a disabled or hidden one (or one
  // inside a disabled or hidden node); then the focused editor, which types characters, deletes
  // with the delete key, and submits a text field with Return (a text editor takes a new line).
  KeyRoute key(const KeyEvent& event);

  // A key from a real display, before its page sees it: local monitors, then shortcuts, as
  // key() routes them, and Return in the focused text field submits it. Whatever else the key
  // does (typing, moving the caret) is the page's own editor's, which reports the text back
  // through setEditorText(); this answers KeyRoute::unhandled for such keys.
  KeyRoute keyAheadOfDisplay(const KeyEvent& event);
  // The display's editor `id` now holds `text` (typed there): the binding and the change
  // handler hear it. Answers whether `id` is an enabled editor.
  bool setEditorText(std::string_view id, const std::string& text);
  // Heights a real display measured, in points, by node id (empty: the whole content). A
  // change renders again, so views sized from them follow.
  void setDisplayedHeight(const std::string& id, double height);
  std::optional<double> displayedHeight(std::string_view id) const;
  // The real display's own observer of every render (it updates its page): one at a time,
  // replacing the last; null removes it. Others add theirs with addRenderObserver.
  void setRenderObserver(std::function<void()> observer) {
    displayObserver_ = observer ? std::make_shared<RenderObserver>(std::move(observer)) : nullptr;
    if (displayObserver_) addRenderObserver(displayObserver_);
  }

  // The editor holding the keyboard focus; empty when none.
  const std::string& focusedId() const { return focusedId_; }
  // Gives the focus to the editor `id` (empty: to none), updating the focus states bound.
  bool focus(const std::string& id);

  // The driver, as a person would act. Each answers whether the node exists and took the act.
  const Node* find(std::string_view id) const { return tree_.find(id); }
  // Buttons run their action, toggles flip, editors take the focus, tab items select their page
  // ("<tabViewId>/<tag>"), then the node's tap handler runs. Disabled or hidden nodes refuse.
  bool click(std::string_view id);
  // Chooses `tag` in the picker `id`.
  bool select(std::string_view id, const std::string& tag);
  // The pointer enters (or leaves) the node: its hover handler, and the hover cursor.
  bool hover(std::string_view id, bool inside);
  // Types `text` as key presses (one per character) into the focused editor, after giving the
  // focus to `id` when one is named. Answers how many keys the editor took.
  std::size_t type(const std::string& text, std::string_view id = {});
  // The cursor the pointer shows: the hover cursor of the node last entered.
  Cursor cursor() const { return cursor_; }

  // Measured size of the content (or of node `id`), at the window's width, with texts laid out by
  // the platform's text system.
  double measuredHeight(std::string_view id = {}) const;
  double measuredWidth(std::string_view id = {}) const;

  // Whether `id` is in the tree and neither it nor an ancestor is disabled or hidden.
  bool isEnabled(std::string_view id) const;

  // Called on the main queue after each render, once the appear and disappear handlers have run,
  // for as long as the observer lives (held weakly; the caller keeps it).
  using RenderObserver = std::function<void()>;
  void addRenderObserver(const std::shared_ptr<RenderObserver>& observer);
  // The web view made for the web view node `id` (see WebViewContent), or null: none with that
  // id in the tree, or a node without content. A real display shows it in the node's place.
  std::shared_ptr<platform::WebView> webView(std::string_view id) const;

 private:
  Host(std::shared_ptr<View> root, Options options, EnvironmentObjects environment);
  Node expand(Node node, const EnvironmentObjects& environment);
  // Monitors then shortcuts; none when neither took the key (`event` is then what the
  // monitors passed on).
  std::optional<KeyRoute> routeToMonitorsAndShortcuts(KeyEvent& event);
  // Makes, updates and drops the web views of the web view nodes of the current tree.
  void updateWebViews();

  std::shared_ptr<View> root_;
  Options options_;
  EnvironmentObjects environment_;
  std::shared_ptr<platform::MainQueue> queue_;
  std::atomic<bool> renderPending_{false};
  std::uint64_t renderCount_ = 0;
  Node tree_;
  std::map<MonitorToken, KeyMonitor> monitors_;
  MonitorToken nextMonitor_ = 1;
  std::string focusedId_;
  Cursor cursor_ = Cursor::arrow;
  std::map<std::string, double, std::less<>> displayedHeights_;
  std::vector<std::weak_ptr<RenderObserver>> renderObservers_;
  std::shared_ptr<RenderObserver> displayObserver_;
  std::map<std::string, std::shared_ptr<platform::WebView>, std::less<>> webViews_;
};

}  // namespace ui

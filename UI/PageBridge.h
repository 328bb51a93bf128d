#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UI/Node.h"

namespace ui {

// The pure parts of showing a view tree in a real page (see HostDisplay): what the page says,
// and which parts of the page a new tree changes.

// One message from the page, by node id.
struct PageMessage {
  enum class Kind { ready, click, hover, input, focus, select, height };
  Kind kind = Kind::ready;
  std::string id;       // empty for focus: no editor has it; for height: the whole content
  std::string value;    // input: the editor's whole text; select: the chosen option's tag
  bool inside = false;  // hover: entered (true) or left
  double height = 0;    // height: in points (CSS pixels)
};

// The message in `json` (an object with "type" and its fields), or none when it is not one:
// unknown types, missing or mistyped fields, ids on a click or hover left empty, heights that
// are negative or not finite.
std::optional<PageMessage> parsePageMessage(std::string_view json);

// The HTML of every node of a tree as the page shows it, with the ids of its children.
struct PageSnapshot {
  struct Entry {
    std::string html;
    std::vector<std::string> children;
    std::optional<std::string> value;  // editors: their text, which the page owns while typing
  };
  std::string rootId;
  std::map<std::string, Entry, std::less<>> nodes;
  // Ids the page reports clicks on (buttons, toggles, tab items, nodes with a tap handler) and
  // pointer entries on (nodes with a hover handler or cursor).
  std::vector<std::string> clickable, hoverable;
};

// `tree` as evaluated by a host (its ids resolved).
PageSnapshot snapshotPage(const Node& tree);

// One change that brings the page from one snapshot to the next.
struct PageUpdate {
  enum class Kind { replace, value };
  Kind kind = Kind::replace;
  std::string id;
  std::string text;  // replace: the node's new HTML; value: the editor's new text
  bool operator==(const PageUpdate&) const = default;
};

// The fewest node replacements that turn `before` into `after`: a node whose own markup or
// list of children changed is replaced whole; otherwise only its changed children are. An
// editor whose text alone changed gets a value update, so the caret and selection in it stay.
// None when `after` has another root (the page must be shown anew).
std::optional<std::vector<PageUpdate>> diffPages(const PageSnapshot& before, const PageSnapshot& after);

// The script that applies `updates` (and the snapshot's clickable and hoverable ids) to a page
// that runs pageBridgeScript(), keeping the focused editor, its selection and scroll positions.
std::string pageUpdateScript(const std::vector<PageUpdate>& updates, const PageSnapshot& snapshot);

// The page's side of the bridge: posts clicks, hovers, typed text, focus, picker choices and
// the measured heights of the content and of `measuredIds` to the surface's message handler.
std::string pageBridgeScript(const std::vector<std::string>& measuredIds);

}  // namespace ui

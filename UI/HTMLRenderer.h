#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "UI/Color.h"
#include "UI/Node.h"

namespace ui {

struct HTMLOptions {
  ColorScheme colorScheme = ColorScheme::light;
  double width = 0;  // the window's content width in points; 0: as wide as the content
  std::string title;
};

// A whole window as one HTML page: a style sheet (the layer's element styles and the named
// colours of both schemes as custom properties, the scheme chosen by the class of <html>) and
// the tree. Stacks are flex boxes with the default spacing of 8 points; one CSS pixel is one
// point. Every node is one element whose HTML id is the node's id, so a display can find it.
// The tree's ids are used as the host assigned them; a tree made by hand gets them by place.
std::string renderHTML(const Node& tree, const HTMLOptions& options);

// The HTML of node `id` of `tree`: exactly the text that renderHTML puts in the page for it, so
// a display updates it in place (`document.getElementById(id).outerHTML = fragment`). None
// when the tree has no such node. Colours are scheme-free: the page's style sheet resolves them.
std::optional<std::string> renderNodeHTML(const Node& tree, std::string_view id);

// The page's style sheet.
std::string htmlStyleSheet();

// Text with &, <, >, " and ' escaped, for element content and attribute values.
std::string escapeHTML(std::string_view text);

}  // namespace ui

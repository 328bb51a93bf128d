#include "UI/HTMLRenderer.h"

#include <cmath>
#include <cstdio>

#include "Platform/Text/MarkupEscaping.h"
#include "UI/Symbols.h"

namespace ui {

namespace {

std::string px(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%gpx", value);
  return buffer;
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

const char* flexAlignment(Alignment alignment, bool vertical) {
  switch (alignment) {
    case Alignment::leading:
    case Alignment::topLeading:
    case Alignment::bottomLeading:
      return vertical ? "flex-start" : "center";
    case Alignment::trailing:
    case Alignment::topTrailing:
    case Alignment::bottomTrailing:
      return vertical ? "flex-end" : "center";
    case Alignment::top:
      return vertical ? "center" : "flex-start";
    case Alignment::bottom:
      return vertical ? "center" : "flex-end";
    case Alignment::center:
      return "center";
  }
  return "center";
}

const char* gridPlacement(Alignment alignment) {
  switch (alignment) {
    case Alignment::center:
      return "center";
    case Alignment::leading:
      return "center start";
    case Alignment::trailing:
      return "center end";
    case Alignment::top:
      return "start center";
    case Alignment::bottom:
      return "end center";
    case Alignment::topLeading:
      return "start start";
    case Alignment::topTrailing:
      return "start end";
    case Alignment::bottomLeading:
      return "end start";
    case Alignment::bottomTrailing:
      return "end end";
  }
  return "center";
}

// How the parent lays this node out, which decides what "as wide as offered" means in CSS.
enum class Parent { none, vertical, horizontal, layered };

Parent parentOf(NodeKind kind) {
  switch (kind) {
    case NodeKind::vstack:
    case NodeKind::list:
    case NodeKind::form:
    case NodeKind::section:
    case NodeKind::button:
      return Parent::vertical;
    case NodeKind::hstack:
      return Parent::horizontal;
    default:
      return Parent::layered;
  }
}

class Writer {
 public:
  std::string out;

  void node(const Node& node, Parent parent) {
    switch (node.kind) {
      case NodeKind::vstack:
      case NodeKind::hstack:
        stack(node, parent);
        return;
      case NodeKind::zstack:
      case NodeKind::group:
        layered(node, parent);
        return;
      case NodeKind::text:
        open("span", node, parent);
        out += escapeHTML(node.text) + "</span>";
        return;
      case NodeKind::symbol:
        open("span", node, parent);
        out += symbolSVG(node.symbol) + "</span>";
        return;
      case NodeKind::image:
        open("img", node, parent, " src=\"" + escapeHTML(node.text) + "\" alt=\"\"");
        return;
      case NodeKind::button:
        button(node, parent);
        return;
      case NodeKind::textEditor:
        open("textarea", node, parent, disabledAttribute(node));
        out += escapeHTML(node.textBinding.get()) + "</textarea>";
        return;
      case NodeKind::textField:
        open("input", node, parent,
             " type=\"text\" value=\"" + escapeHTML(node.textBinding.get()) + "\" placeholder=\"" +
                 escapeHTML(node.text) + "\"" + disabledAttribute(node));
        return;
      case NodeKind::toggle:
        open("label", node, parent);
        out += "<input type=\"checkbox\"" + std::string(node.boolBinding.get() ? " checked" : "") +
               disabledAttribute(node) + "><span>" + escapeHTML(node.text) + "</span></label>";
        return;
      case NodeKind::picker:
        picker(node, parent);
        return;
      case NodeKind::menu:
        menu(node, parent);
        return;
      case NodeKind::divider:
      case NodeKind::spacer:
        open("div", node, parent);
        out += "</div>";
        return;
      case NodeKind::list:
      case NodeKind::form:
        container("div", node, parent);
        return;
      case NodeKind::section:
        section(node, parent);
        return;
      case NodeKind::tabView:
        tabView(node, parent);
        return;
      case NodeKind::progress:
        if (node.progressValue) {
          open("progress", node, parent, " max=\"1\" value=\"" + number(*node.progressValue) + "\"");
          out += "</progress>";
        } else {
          open("div", node, parent);
          out += "</div>";
        }
        return;
      case NodeKind::webView:
        open("div", node, parent, " data-web-view=\"" + escapeHTML(node.nodeId()) + "\"");
        out += "</div>";
        return;
      case NodeKind::video:
        open("video", node, parent, " src=\"" + escapeHTML(node.text) + "\" muted loop autoplay playsinline");
        out += "</video>";
        return;
      case NodeKind::empty:
      case NodeKind::view:
        open("div", node, parent);
        out += "</div>";
        return;
    }
  }

 private:
  static std::string disabledAttribute(const Node& node) {
    return node.modifiers.disabled ? " disabled" : "";
  }

  // The element's start tag: id, class, the modifiers as an inline style, and attributes.
  void open(const char* tag, const Node& node, Parent parent, const std::string& attributes = "",
            const std::string& ownStyle = "") {
    out += "<";
    out += tag;
    out += " id=\"" + escapeHTML(node.nodeId()) + "\" class=\"ui-" + nodeKindName(node.kind) + "\"";
    std::string style = ownStyle + modifierStyle(node, parent);
    if (!style.empty()) out += " style=\"" + escapeHTML(style) + "\"";
    const Modifiers& m = node.modifiers;
    if (!m.tooltip.empty()) out += " title=\"" + escapeHTML(m.tooltip) + "\"";
    if (m.keyboardShortcut)
      out += " data-shortcut=\"" + escapeHTML(m.keyboardShortcut->displayString()) + "\"";
    if (m.disabled) out += " aria-disabled=\"true\"";
    out += attributes;
    out += ">";
  }

  static std::string modifierStyle(const Node& node, Parent parent) {
    const Modifiers& m = node.modifiers;
    std::string style;
    if (m.padding)
      style += "padding:" + px(m.padding->top) + " " + px(m.padding->trailing) + " " + px(m.padding->bottom) +
               " " + px(m.padding->leading) + ";";
    if (m.frame) {
      const Frame& f = *m.frame;
      if (f.width) style += "width:" + px(*f.width) + ";flex:none;";
      if (f.height) style += "height:" + px(*f.height) + ";";
      if (f.minWidth) style += "min-width:" + px(*f.minWidth) + ";";
      if (f.minHeight) style += "min-height:" + px(*f.minHeight) + ";";
      bool wide = f.maxWidth && std::isinf(*f.maxWidth);
      bool tall = f.maxHeight && std::isinf(*f.maxHeight);
      if (f.maxWidth && !wide) style += "max-width:" + px(*f.maxWidth) + ";";
      if (f.maxHeight && !tall) style += "max-height:" + px(*f.maxHeight) + ";";
      if (wide) style += parent == Parent::horizontal ? "flex:1 1 0;" : "align-self:stretch;width:100%;";
      if (tall) style += parent == Parent::vertical ? "flex:1 1 0;" : "align-self:stretch;height:100%;";
      if (node.kind == NodeKind::text) {
        if (f.alignment == Alignment::leading || f.alignment == Alignment::topLeading)
          style += "text-align:left;";
        if (f.alignment == Alignment::trailing || f.alignment == Alignment::topTrailing)
          style += "text-align:right;";
      }
    }
    if (m.background) style += "background:" + m.background->css() + ";";
    if (m.foreground) style += "color:" + m.foreground->css() + ";";
    if (m.font) {
      style += "font-size:" + px(m.font->size) + ";";
      if (m.font->bold) style += "font-weight:700;";
      if (m.font->monospaced) style += "font-family:'DejaVu Sans Mono',monospace;";
    }
    if (m.cornerRadius > 0) style += "border-radius:" + px(m.cornerRadius) + ";overflow:hidden;";
    std::string shadows;
    if (m.stroke) {
      if (m.cornerRadius <= 0 && m.stroke->cornerRadius > 0)
        style += "border-radius:" + px(m.stroke->cornerRadius) + ";";
      shadows += "inset 0 0 0 " + px(m.stroke->lineWidth) + " " + m.stroke->color.css();
    }
    if (m.shadow) {
      if (!shadows.empty()) shadows += ",";
      shadows += px(m.shadow->x) + " " + px(m.shadow->y) + " " + px(m.shadow->radius * 2) + " " +
                 m.shadow->color.css();
    }
    if (!shadows.empty()) style += "box-shadow:" + shadows + ";";
    double opacity = m.opacity * (m.disabled ? 0.5 : 1);
    if (opacity < 1) style += "opacity:" + number(opacity) + ";";
    if (m.hidden) style += "visibility:hidden;";
    if (m.hoverCursor)
      style += *m.hoverCursor == Cursor::pointingHand ? "cursor:pointer;"
               : *m.hoverCursor == Cursor::iBeam      ? "cursor:text;"
                                                      : "cursor:default;";
    if (m.lineLimit)
      style += "display:-webkit-box;-webkit-box-orient:vertical;overflow:hidden;-webkit-line-clamp:" +
               std::to_string(*m.lineLimit) + ";";
    return style;
  }

  void children(const Node& node) {
    Parent parent = parentOf(node.kind);
    for (const Node& child : node.children) this->node(child, parent);
  }

  void stack(const Node& node, Parent parent) {
    bool vertical = node.kind == NodeKind::vstack;
    std::string own = "gap:" + px(node.spacing.value_or(defaultSpacing)) +
                      ";align-items:" + flexAlignment(node.alignment, vertical) + ";";
    // A spacer makes a stack take all the room along its own axis.
    bool flexible = false;
    for (const Node& child : node.children) flexible = flexible || child.kind == NodeKind::spacer;
    if (flexible) {
      bool alongParent = (parent == Parent::vertical) == vertical;
      own += alongParent ? "flex:1 1 0;" : "align-self:stretch;";
    }
    open("div", node, parent, "", own);
    children(node);
    out += "</div>";
  }

  void layered(const Node& node, Parent parent) {
    // A group is as large as what it holds; a z-stack places its layers by its alignment.
    open("div", node, parent, "",
         node.kind == NodeKind::zstack ? std::string("place-items:") + gridPlacement(node.alignment) + ";"
                                       : "");
    children(node);
    out += "</div>";
  }

  void container(const char* tag, const Node& node, Parent parent) {
    open(tag, node, parent);
    children(node);
    out += "</";
    out += tag;
    out += ">";
  }

  void label(const Node& node) {
    if (!node.symbol.empty()) out += symbolSVG(node.symbol);
    if (!node.text.empty()) out += "<span>" + escapeHTML(node.text) + "</span>";
  }

  void button(const Node& node, Parent parent) {
    open("button", node, parent, " type=\"button\"" + disabledAttribute(node));
    if (node.checked) out += *node.checked ? symbolSVG("checkmark") : "<span class=\"ui-mark\"></span>";
    if (node.children.empty())
      label(node);
    else
      children(node);
    out += "</button>";
  }

  void picker(const Node& node, Parent parent) {
    open("label", node, parent);
    if (!node.text.empty()) out += "<span>" + escapeHTML(node.text) + "</span>";
    out += "<select" + disabledAttribute(node) + ">";
    std::string selected = node.textBinding.get();
    for (const Node& option : node.children)
      out += "<option id=\"" + escapeHTML(option.nodeId()) + "\" value=\"" + escapeHTML(option.tag) + "\"" +
             (option.tag == selected ? " selected" : "") + ">" + escapeHTML(option.text) + "</option>";
    out += "</select></label>";
  }

  void menu(const Node& node, Parent parent) {
    open("div", node, parent, " role=\"menu\"");
    out += "<div class=\"ui-menu-title\">";
    label(node);
    out += "<span class=\"ui-menu-arrow\">›</span></div><div class=\"ui-menu-items\">";
    children(node);
    out += "</div></div>";
  }

  void section(const Node& node, Parent parent) {
    open("section", node, parent);
    if (!node.children.empty()) {
      out += "<header class=\"ui-section-header\">";
      this->node(node.children.front(), Parent::vertical);
      out += "</header><div class=\"ui-section-body\">";
      for (std::size_t i = 1; i < node.children.size(); ++i) this->node(node.children[i], Parent::vertical);
      out += "</div>";
    }
    out += "</section>";
  }

  void tabView(const Node& node, Parent parent) {
    open("div", node, parent);
    std::string selected = node.textBinding.get();
    out += "<div class=\"ui-tabbar\" role=\"tablist\">";
    for (const Node& page : node.children) {
      out += "<button type=\"button\" role=\"tab\" class=\"ui-tab\" id=\"" +
             escapeHTML(node.nodeId() + "/" + page.tag) + "\" aria-selected=\"" +
             (page.tag == selected ? "true" : "false") + "\">";
      if (!page.tabSymbol.empty()) out += symbolSVG(page.tabSymbol);
      out += "<span>" + escapeHTML(page.tabLabel) + "</span></button>";
    }
    out += "</div>";
    for (const Node& page : node.children) {
      out += std::string("<div class=\"ui-tabpage\"") + (page.tag == selected ? "" : " hidden") + ">";
      this->node(page, Parent::vertical);
      out += "</div>";
    }
    out += "</div>";
  }
};

const Node& withIds(const Node& tree, Node& storage) {
  if (!tree.resolvedId.empty()) return tree;
  storage = tree;
  assignIds(storage);
  return storage;
}

// The node with `id` and how its parent lays it out.
const Node* findWithParent(const Node& node, std::string_view id, Parent parent, Parent& found) {
  if (node.nodeId() == id) {
    found = parent;
    return &node;
  }
  Parent inner = parentOf(node.kind);
  if (node.kind == NodeKind::section || node.kind == NodeKind::tabView) inner = Parent::vertical;
  for (const Node& child : node.children)
    if (const Node* hit = findWithParent(child, id, inner, found)) return hit;
  return nullptr;
}

constexpr const char* kBaseStyle = R"css(
*{box-sizing:border-box;margin:0}
html,body{background:var(--color-windowBackgroundColor);color:var(--color-primary)}
body{font:13px/1.25 'DejaVu Sans',sans-serif;-webkit-font-smoothing:antialiased}
#window{display:flex;flex-direction:column;align-items:stretch}
.ui-vstack{display:flex;flex-direction:column}
.ui-hstack{display:flex;flex-direction:row}
.ui-zstack,.ui-group,.ui-view{display:grid}
.ui-zstack>*,.ui-group>*,.ui-view>*{grid-area:1/1}
.ui-text{white-space:pre-wrap;overflow-wrap:anywhere}
.ui-symbol{display:inline-flex;align-items:center;justify-content:center;line-height:0}
.ui-svg{display:block;flex:none}
.ui-button{display:inline-flex;align-items:center;gap:4px;background:none;border:0;padding:0;font:inherit;color:inherit;text-align:left}
.ui-button[disabled]{pointer-events:none}
.ui-mark{display:inline-block;width:1.2em}
.ui-text-editor{font:inherit;color:inherit;background:transparent;border:0;resize:none;outline:none;width:100%;min-height:1.3em;padding:0}
.ui-text-field{font:inherit;color:inherit;background:var(--color-controlBackgroundColor);border:1px solid var(--color-separatorColor);border-radius:5px;padding:2px 6px;width:100%}
.ui-toggle{display:inline-flex;align-items:center;gap:6px}
.ui-toggle input{width:14px;height:14px;accent-color:var(--color-accentColor)}
.ui-picker{display:inline-flex;align-items:center;gap:8px}
.ui-picker select{font:inherit;color:inherit;background:var(--color-controlBackgroundColor);border:1px solid var(--color-separatorColor);border-radius:5px;padding:2px 4px}
.ui-menu{display:flex;flex-direction:column}
.ui-menu-title{display:flex;align-items:center;gap:4px}
.ui-menu-arrow{margin-left:auto;padding-left:16px;opacity:.6}
.ui-menu-items{display:none}
.ui-divider{align-self:stretch;background:var(--color-separatorColor);min-width:1px;min-height:1px}
.ui-spacer{flex:1 1 0;min-width:0;min-height:0}
.ui-list{display:flex;flex-direction:column;align-self:stretch}
.ui-list>*+*{border-top:1px solid var(--color-separatorColor)}
.ui-form{display:flex;flex-direction:column;gap:16px;padding:16px;align-self:stretch}
.ui-section{display:flex;flex-direction:column;gap:6px}
.ui-section-header{font-weight:700;display:flex;flex-direction:column}
.ui-section-body{display:flex;flex-direction:column;gap:8px;background:var(--color-controlBackgroundColor);border-radius:8px;padding:10px;box-shadow:0 0 0 1px var(--color-separatorColor)}
.ui-tab-view{display:flex;flex-direction:column;align-self:stretch}
.ui-tabbar{display:flex;justify-content:center;gap:4px;padding:4px}
.ui-tab{display:inline-flex;flex-direction:column;align-items:center;gap:2px;background:none;border:0;border-radius:6px;padding:4px 10px;font:inherit;font-size:11px;color:var(--color-secondary)}
.ui-tab[aria-selected=true]{background:var(--color-hoverBgColor);color:var(--color-accentColor)}
.ui-tab .ui-svg{width:20px;height:20px}
.ui-tabpage{display:flex;flex-direction:column}
.ui-tabpage[hidden]{display:none}
.ui-progress{display:block;width:100%;height:6px;accent-color:var(--color-accentColor)}
div.ui-progress{width:20px;height:20px;border-radius:50%;border:2px solid var(--color-separatorColor);border-top-color:var(--color-gray)}
.ui-web-view{display:block;align-self:stretch;background:var(--color-contentBgColor)}
.ui-video{display:block;align-self:stretch;background:#000;width:100%;object-fit:contain}
.ui-image{display:block;max-width:100%}
.ui-empty{display:none}
)css";

std::string colorVariables(ColorScheme scheme) {
  std::string css;
  for (const auto& [name, color] : namedColorTable())
    css += "--color-" + name + ":" + cssColor(scheme == ColorScheme::dark ? color.dark : color.light) + ";";
  return css;
}

}  // namespace

std::string escapeHTML(std::string_view text) { return platform::markupAttribute(text); }

std::string htmlStyleSheet() {
  return std::string(kBaseStyle) + "html.light{color-scheme:light;" + colorVariables(ColorScheme::light) +
         "}\nhtml.dark{color-scheme:dark;" + colorVariables(ColorScheme::dark) + "}\n";
}

std::string renderHTML(const Node& tree, const HTMLOptions& options) {
  Node storage;
  const Node& root = withIds(tree, storage);
  Writer writer;
  writer.node(root, Parent::vertical);
  std::string width = options.width > 0 ? "width:" + px(options.width) + ";" : "display:inline-flex;";
  return std::string("<!DOCTYPE html>\n<html class=\"") +
         (options.colorScheme == ColorScheme::dark ? "dark" : "light") +
         "\"><head><meta charset=\"utf-8\"><title>" + escapeHTML(options.title) + "</title><style>" +
         htmlStyleSheet() + "</style></head><body><div id=\"window\" style=\"" + width + "\">" + writer.out +
         "</div></body></html>\n";
}

std::optional<std::string> renderNodeHTML(const Node& tree, std::string_view id) {
  Node storage;
  const Node& root = withIds(tree, storage);
  Parent parent = Parent::vertical;
  const Node* node = findWithParent(root, id, Parent::vertical, parent);
  if (!node) return std::nullopt;
  Writer writer;
  writer.node(*node, parent);
  return writer.out;
}

}  // namespace ui

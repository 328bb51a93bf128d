#include "UI/Layout.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "Platform/Core/Unicode.h"
#include "Platform/Text/AttributeName.h"
#include "Platform/Text/AttributedString.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/LayoutManager.h"
#include "Platform/Text/TextContainer.h"
#include "Platform/Text/TextStorage.h"

namespace ui {

namespace {

constexpr double kLarge = 1e7;

platform::Size measureText(const std::string& text, const Font& font, double width) {
  platform::Font platformFont = font.monospaced ? platform::Font::monospaced(font.size)
                                : font.bold     ? platform::Font::boldSystem(font.size)
                                                : platform::Font::system(font.size);
  std::string content = text.empty() ? " " : text;
  platform::AttributedString string(platform::unicode::toUTF16(content),
                                    platform::Attributes{{platform::AttributeName::font, platformFont}});
  platform::TextStorage storage(string);
  auto layoutManager = std::make_shared<platform::LayoutManager>();
  auto container =
      std::make_shared<platform::TextContainer>(platform::Size{width > 0 ? width : kLarge, kLarge});
  container->setLineFragmentPadding(0);
  layoutManager->addTextContainer(container);
  storage.addLayoutManager(layoutManager);
  platform::Rect used = layoutManager->usedRect();
  const auto& fragments = layoutManager->lineFragments();
  double height = fragments.empty() ? 0 : fragments.back().rect.maxY();
  return {text.empty() ? 0 : std::ceil(used.width + used.x), std::ceil(height)};
}

struct Measurer {
  // The font in force: a node's own, else its ancestors'.
  platform::Size measure(const Node& node, double width, const Font& inherited) const {
    Font font = node.modifiers.font.value_or(inherited);
    const auto& padding = node.modifiers.padding.value_or(EdgeInsets{});
    const auto& frame = node.modifiers.frame;
    double inner = width > 0 ? std::max(0.0, width - padding.leading - padding.trailing) : 0;
    if (frame && frame->width) inner = std::max(0.0, *frame->width - padding.leading - padding.trailing);
    platform::Size size = content(node, inner, font);
    size.width += padding.leading + padding.trailing;
    size.height += padding.top + padding.bottom;
    if (frame) {
      if (frame->width) size.width = *frame->width;
      if (frame->height) size.height = *frame->height;
      if (frame->maxWidth && std::isinf(*frame->maxWidth) && width > 0) size.width = width;
      if (frame->maxWidth && !std::isinf(*frame->maxWidth))
        size.width = std::min(size.width, *frame->maxWidth);
      if (frame->minWidth) size.width = std::max(size.width, *frame->minWidth);
      if (frame->maxHeight && !std::isinf(*frame->maxHeight))
        size.height = std::min(size.height, *frame->maxHeight);
      if (frame->minHeight) size.height = std::max(size.height, *frame->minHeight);
    }
    return size;
  }

  platform::Size stack(const std::vector<Node>& children, double width, const Font& font, bool vertical,
                       double spacing) const {
    platform::Size total{0, 0};
    int counted = 0;
    std::vector<const Node*> shown;
    for (const Node& child : children)
      if (child.kind != NodeKind::empty) shown.push_back(&child);
    double share = (!vertical && width > 0 && !shown.empty())
                       ? std::max(0.0, (width - spacing * static_cast<double>(shown.size() - 1)) /
                                           static_cast<double>(shown.size()))
                       : width;
    for (const Node* child : shown) {
      platform::Size size = measure(*child, share, font);
      if (vertical) {
        total.height += size.height + (counted ? spacing : 0);
        total.width = std::max(total.width, size.width);
      } else {
        total.width += size.width + (counted ? spacing : 0);
        total.height = std::max(total.height, size.height);
      }
      ++counted;
    }
    return total;
  }

  platform::Size content(const Node& node, double width, const Font& font) const {
    double spacing = node.spacing.value_or(defaultSpacing);
    switch (node.kind) {
      case NodeKind::empty:
        return {0, 0};
      case NodeKind::vstack:
      case NodeKind::list:
      case NodeKind::form:
      case NodeKind::section:
        return stack(node.children, width, font, true, spacing);
      case NodeKind::hstack:
        return stack(node.children, width, font, false, spacing);
      case NodeKind::group:
      case NodeKind::zstack: {
        platform::Size size{0, 0};
        for (const Node& child : node.children) {
          platform::Size one = measure(child, width, font);
          size = {std::max(size.width, one.width), std::max(size.height, one.height)};
        }
        return size;
      }
      case NodeKind::text:
        return measureText(node.text, font, width);
      case NodeKind::symbol:
        return {std::ceil(font.size * 1.2), std::ceil(font.size * 1.2)};
      case NodeKind::image:
        return {0, 0};
      case NodeKind::button:
      case NodeKind::menu: {
        if (!node.children.empty() && node.kind == NodeKind::button)
          return stack(node.children, width, font, true, 0);
        platform::Size text = measureText(node.text, font, width);
        if (!node.symbol.empty()) text.width += std::ceil(font.size * 1.2) + 4;
        return text;
      }
      case NodeKind::textField:
        return {width, measureText("", font, width).height + 6};
      case NodeKind::textEditor: {
        std::string value = node.textBinding.get();
        if (!value.empty() && value.back() == '\n') value += " ";
        return {width, measureText(value.empty() ? " " : value, font, width).height};
      }
      case NodeKind::toggle: {
        platform::Size label = measureText(node.text, font, width > 0 ? std::max(0.0, width - 22) : 0);
        return {label.width + 22, std::max(label.height, 16.0)};
      }
      case NodeKind::picker:
        return {measureText(node.text, font, 0).width + 120, measureText(" ", font, 0).height + 6};
      case NodeKind::divider:
        return {width, 1};
      case NodeKind::spacer:
        return {0, 0};
      case NodeKind::tabView: {
        platform::Size size{width, 0};
        std::string selected = node.textBinding.get();
        for (const Node& page : node.children)
          if (page.tag == selected) size = measure(page, width, font);
        return {size.width, size.height + 30};
      }
      case NodeKind::progress:
        return node.progressValue ? platform::Size{width, 6} : platform::Size{20, 20};
      case NodeKind::webView:
      case NodeKind::video:
        return {width, node.preferredHeight};
      case NodeKind::view:
        return {0, 0};
    }
    return {0, 0};
  }
};

}  // namespace

platform::Size measure(const Node& node, double proposedWidth) {
  return Measurer{}.measure(node, proposedWidth, Font::body());
}

}  // namespace ui

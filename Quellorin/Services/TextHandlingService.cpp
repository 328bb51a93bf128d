#include "Quellorin/Services/TextHandlingService.h"

#include <cstring>
#include <utility>
#include <vector>

#include "Markdown/Markdown.h"
#include "Markdown/MarkdownErrors.h"
#include "Platform/Desktop/Accessibility.h"
#include "Platform/Desktop/AccessibilityElement.h"
#include "Platform/Core/Environment.h"
#include "Platform/Desktop/EventSystem.h"
#include "Platform/Core/Log.h"
#include "Platform/Desktop/Pasteboard.h"
#include "Platform/Desktop/Screens.h"
#include "Platform/Dispatch/TaskPool.h"
#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Workspace.h"
#include "Quellorin/Services/PoolContinuation.h"

namespace quellorin {

namespace {

using platform::AXError;
using platform::AXRange;
using platform::Rect;

constexpr int kMaximumFocusDepth = 2;
constexpr double kFocusRetryDelay = 0.5;
constexpr double kKeyHoldDelay = 0.13;
constexpr double kCopyDelay = 0.2;

// The value of a successful read when it has type T.
template <class T>
std::optional<T> valueAs(const platform::AXResult& result) {
  if (result.status != AXError::success || !result.value) return std::nullopt;
  const T* value = std::get_if<T>(&*result.value);
  return value ? std::optional<T>(*value) : std::nullopt;
}

std::string describeElement(const TextHandlingService::Element& element) {
  return element ? element->description() : "nil";
}

// The HTML as the pasteboard's 16-bit Unicode text: a byte-order mark, then UTF-16 in this
// machine's byte order.
std::string utf16Bytes(const std::string& utf8) {
  const std::u16string units = u"\uFEFF" + platform::unicode::toUTF16(utf8);
  std::string bytes(units.size() * sizeof(char16_t), '\0');
  std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

void postKey(platform::EventSystem& events, const platform::EventSystem::EventSource& source,
             std::uint16_t keyCode, bool keyDown, std::uint64_t flags) {
  auto event = events.makeKeyboardEvent(source, keyCode, keyDown);
  if (!event) return;
  event->modifierFlags = flags;
  events.post(*event);
}

}  // namespace

std::shared_ptr<TextHandlingService> TextHandlingService::shared() {
  static const auto instance = std::make_shared<TextHandlingService>();
  return instance;
}

// --- Accessibility ---------------------------------------------------------------------------

void TextHandlingService::fetchFocusedElement(int depth, ElementCompletion completion) {
  const auto systemWide = platform::Environment::current()->accessibility->systemWideElement();
  if (const auto element = valueAs<Element>(systemWide->copyAttributeValue("AXFocusedUIElement"));
      element && *element) {
    setOriginalFocusedElement(*element);
    logElementRole(*element);
    completion(*element);
    return;
  }
  platform::log("无法获取到焦点元素,可能是 AXManualAccessibility 未开启。将尝试处理");
  enableManualAccessibility();
  if (depth > kMaximumFocusDepth) {
    platform::log("已达到最大递归深度,无法获取焦点元素");
    completion(nullptr);
    return;
  }
  continueOnPoolAfter(kFocusRetryDelay,
                      [weak = weak_from_this(), depth, completion = std::move(completion)]() mutable {
                        const auto self = weak.lock();
                        if (!self) return completion(nullptr);
                        self->fetchFocusedElement(depth + 1, std::move(completion));
                      });
}

void TextHandlingService::enableManualAccessibility() {
  const auto env = platform::Environment::current();
  const auto front = env->workspace->frontmostApplication();
  if (!front) {
    platform::log("无法获取当前活跃应用");
    return;
  }
  const auto application = env->accessibility->applicationElement(front->processIdentifier);
  const auto title = valueAs<std::string>(application->copyAttributeValue("AXTitle"));
  const auto status = application->setAttributeValue("AXManualAccessibility", true);
  platform::log((title ? *title : std::string()) + " 的 'AXManualAccessibility'设置 " +
                (status == AXError::success ? "成功" : "失败"));
}

void TextHandlingService::logElementRole(const Element& element) {
  if (const auto role = valueAs<std::string>(element->copyAttributeValue("AXRole"))) {
    platform::log("控件类型：" + *role);
  } else {
    platform::log("无法获取控件类型");
  }
}

void TextHandlingService::selectCurrentLine(LineCompletion completion) {
  fetchFocusedElement(0, [weak = weak_from_this(), completion = std::move(completion)](Element element) {
    const auto self = weak.lock();
    if (!self || !element) return completion(std::nullopt);
    const auto text = valueAs<std::string>(element->copyAttributeValue("AXValue"));
    if (!text) return completion(std::nullopt);
    completion(self->selectLineAtCaret(*text, element));
  });
}

std::int64_t TextHandlingService::caretLocation(const Element& element) {
  const auto result = element->copyAttributeValue("AXSelectedTextRange");
  platform::log("[debug] AXUIElementCopyAttributeValue result: " +
                std::to_string(static_cast<int>(result.status)));
  platform::log("[debug] focusedElement: " + describeElement(element));
  if (const auto range = valueAs<AXRange>(result)) {
    platform::log("[debug] 获取到的光标位置: " + std::to_string(range->location));
    return range->location;
  }
  platform::log("[error] 无法获取光标位置或未找到有效的值");
  return notFound;
}

std::optional<CaretLine> TextHandlingService::selectLineAtCaret(const std::string& text,
                                                                const Element& element) {
  const auto caret = caretLocation(element);
  if (caret == notFound) {
    platform::log("[error] 无法获取光标位置");
    return std::nullopt;
  }
  const std::u16string units = platform::unicode::toUTF16(text);
  std::int64_t start = 0;
  while (start <= static_cast<std::int64_t>(units.size())) {
    const auto lineFeed = units.find(u'\n', static_cast<std::size_t>(start));
    const auto end = lineFeed == std::u16string::npos ? static_cast<std::int64_t>(units.size())
                                                      : static_cast<std::int64_t>(lineFeed);
    if (caret <= end) {
      const AXRange range{start, end - start};
      const auto line = platform::unicode::toUTF8(std::u16string_view(units).substr(
          static_cast<std::size_t>(start), static_cast<std::size_t>(range.length)));
      platform::log("当前行：" + line + ", 位置：" + std::to_string(caret - start));
      element->setAttributeValue("AXSelectedTextRange", range);
      return CaretLine{line, range, element};
    }
    start = end + 1;
  }
  return std::nullopt;
}

void TextHandlingService::getSelectedText(SelectionCompletion completion) {
  copySelectedTextViaClipboard(
      [weak = weak_from_this(), completion = std::move(completion)](std::optional<std::string> text) mutable {
        const auto self = weak.lock();
        if (!self) return completion({});
        self->fetchFocusedElement(
            0, [weak, text = std::move(text), completion = std::move(completion)](Element element) {
              platform::log("focusedElement(text): " + describeElement(element));
              const auto service = weak.lock();
              if (!service) return completion({});
              if (!element) return completion({text, std::nullopt});
              const auto range = service->selectedTextRange(element);
              if (!range) return completion({text, std::nullopt});
              platform::log("selectedTextRange: " + platform::describe(*range));
              const auto rect = service->boundsForRange(element, *range);
              platform::log("position: " + (rect ? platform::describe(*rect) : std::string("nil")));
              completion({text, rect});
            });
      });
}

std::optional<AXRange> TextHandlingService::selectedTextRange(const Element& element) {
  const auto range = valueAs<AXRange>(element->copyAttributeValue("AXSelectedTextRange"));
  if (!range) {
    platform::log("[error] 无法获取选定文本的范围");
    return std::nullopt;
  }
  if (const auto selected = valueAs<std::string>(element->copyAttributeValue("AXSelectedText"))) {
    platform::log("获取到的选定文本内容22: " + *selected);
  } else {
    platform::log("无法获取到选定文本内容");
  }
  return *range;
}

std::optional<Rect> TextHandlingService::boundsForRange(const Element& element, const AXRange& range) {
  const auto result = element->copyParameterizedAttributeValue("AXBoundsForRange", range);
  platform::log("focusedElement: " + describeElement(element));
  platform::log("textRange: " + platform::describe(range));
  platform::log("range: " + platform::describe(range));
  platform::log("boundsError: " + std::to_string(static_cast<int>(result.status)));
  const auto bounds = valueAs<Rect>(result);
  if (!bounds) {
    platform::log("[error] 无法获取文本范围对应的坐标: " + std::string(platform::axErrorName(result.status)));
    return std::nullopt;
  }
  platform::log("boundsValue: " + platform::describe(*bounds));
  platform::log("转换后的 bounds: " + platform::describe(*bounds));
  if (bounds->width != 0 && bounds->height != 0) return toCocoaCoordinates(*bounds);
  if (const auto parent = parentElementPosition(element, range)) {
    platform::log("父级元素位置: " + platform::describe(*parent));
    return parent;
  }
  return toCocoaCoordinates(*bounds);
}

std::optional<Rect> TextHandlingService::parentElementPosition(const Element& element, const AXRange& range) {
  const auto parent = valueAs<Element>(element->copyAttributeValue("AXParent"));
  if (!parent || !*parent) {
    platform::log("[error] 无法获取父级元素");
    return std::nullopt;
  }
  return boundsForRange(*parent, range);
}

Rect TextHandlingService::toCocoaCoordinates(const Rect& rect) {
  const auto screens = platform::Environment::current()->screens->screens();
  const double primaryHeight = screens.empty() ? 0 : screens.front().height;
  return {rect.x, primaryHeight - rect.y - rect.height, rect.width, rect.height};
}

TextHandlingService::Element TextHandlingService::originalFocusedElement() const {
  std::lock_guard lock(mutex_);
  return originalFocusedElement_;
}

void TextHandlingService::setOriginalFocusedElement(Element element) {
  std::lock_guard lock(mutex_);
  originalFocusedElement_ = std::move(element);
}

// --- Pasteboard and keyboard -----------------------------------------------------------------

void TextHandlingService::simulateCopy(std::function<void()> completion) {
  const auto env = platform::Environment::current();
  env->pasteboard->clearContents();
  auto& events = *env->eventSystem;
  const auto source = events.makeEventSource();
  if (!source) {
    platform::log("无法创建事件源，未发送复制命令");
    completion();
    return;
  }
  postKey(events, *source, platform::keycode::command, true, 0);
  postKey(events, *source, platform::keycode::c, true, platform::commandKeyFlag);
  // The key-ups need only the environment: they are posted even when the service is gone, so
  // that no key stays held down in the application in front.
  continueOnPoolAfter(kKeyHoldDelay, [completion = std::move(completion)]() mutable {
    postCopyKeyUps(std::move(completion));
  });
}

void TextHandlingService::postCopyKeyUps(std::function<void()> completion) {
  auto& events = *platform::Environment::current()->eventSystem;
  if (const auto source = events.makeEventSource()) {
    postKey(events, *source, platform::keycode::c, false, 0);
    platform::log("C 键松开");
    postKey(events, *source, platform::keycode::command, false, 0);
    platform::log("Command 键松开");
  }
  completion();
}

void TextHandlingService::copySelectedTextViaClipboard(TextCompletion completion) {
  auto saved = platform::Environment::current()->pasteboard->pasteboardItems();
  simulateCopy([saved = std::move(saved), completion = std::move(completion)]() mutable {
    continueOnPoolAfter(kCopyDelay, [saved = std::move(saved), completion = std::move(completion)]() mutable {
      auto& pasteboard = *platform::Environment::current()->pasteboard;
      auto copied = pasteboard.string();
      if (!saved.empty()) {
        pasteboard.clearContents();
        pasteboard.writeObjects(std::move(saved));
      }
      platform::log("selectedText: " + (copied ? "Optional(\"" + *copied + "\")" : std::string("nil")));
      completion(std::move(copied));
    });
  });
}

std::size_t TextHandlingService::typeText(std::string_view text) {
  auto& events = *platform::Environment::current()->eventSystem;
  const auto source = events.makeEventSource();
  if (!source || text.empty()) return 0;
  std::size_t posted = 0;
  for (const char16_t unit : platform::unicode::toUTF16(text)) {
    auto down = events.makeKeyboardEvent(*source, platform::keycode::a, true);
    auto up = events.makeKeyboardEvent(*source, platform::keycode::a, false);
    if (!down || !up) continue;
    down->characters = std::u16string(1, unit);
    up->characters = down->characters;
    events.post(*down);
    events.post(*up);
    ++posted;
  }
  return posted;
}

bool TextHandlingService::copyToPasteboard(const std::string& markdown) {
  auto& pasteboard = *platform::Environment::current()->pasteboard;
  pasteboard.clearContents();
  const auto html = utf16Bytes(markdownToHTML(markdown));
  platform::log("htmlData: " + std::to_string(html.size()) + " bytes");
  pasteboard.writeObjects(
      {{{platform::Pasteboard::plainTextType, markdown}, {platform::Pasteboard::htmlType, html}}});
  return pasteboard.string().value_or("") == markdown;
}

std::string TextHandlingService::markdownToHTML(const std::string& markdown) {
  try {
    return markdown::Markdown(markdown).toHTML(markdown::MarkdownOptions::hardBreaks);
  } catch (const markdown::MarkdownErrors& error) {
    platform::log(std::string("Markdown 转换为 HTML 失败: ") + error.what());
    return {};
  }
}

}  // namespace quellorin

#include "Platform/Desktop/Linux/LinuxAccessibilityElement.h"

#include <atspi/atspi.h>

#include <chrono>
#include <thread>
#include <utility>

#include "Platform/Core/Unicode.h"
#include "Platform/Desktop/Linux/DesktopThread.h"

namespace platform {
namespace {

// How long a read or a selection waits for characters typed before it to arrive.
constexpr auto typingLimit = std::chrono::milliseconds(1000);

AtspiAccessible* object(void* accessible) { return static_cast<AtspiAccessible*>(accessible); }

// A GError the caller owns; freed with the guard.
struct ErrorSlot {
  GError* error = nullptr;
  ~ErrorSlot() {
    if (error != nullptr) g_error_free(error);
  }
  GError** operator&() { return &error; }
  explicit operator bool() const { return error != nullptr; }
};

// An AtspiText interface reference, released with the guard.
struct TextInterface {
  AtspiText* text = nullptr;
  explicit TextInterface(AtspiAccessible* accessible) : text(atspi_accessible_get_text_iface(accessible)) {}
  ~TextInterface() {
    if (text != nullptr) g_object_unref(text);
  }
  TextInterface(const TextInterface&) = delete;
  TextInterface& operator=(const TextInterface&) = delete;
};

std::string roleName(AtspiRole role) {
  switch (role) {
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_PARAGRAPH:
    case ATSPI_ROLE_DOCUMENT_TEXT:
      return "AXTextArea";
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_PASSWORD_TEXT:
      return "AXTextField";
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
      return "AXWindow";
    case ATSPI_ROLE_APPLICATION:
      return "AXApplication";
    case ATSPI_ROLE_SCROLL_PANE:
      return "AXScrollArea";
    case ATSPI_ROLE_PANEL:
    case ATSPI_ROLE_FILLER:
      return "AXGroup";
    default: {
      gchar* name = atspi_role_get_name(role);
      std::string result = std::string("AX") + (name != nullptr ? name : "unknown");
      g_free(name);
      return result;
    }
  }
}

std::string textOf(AtspiText* text) {
  ErrorSlot error;
  gchar* utf8 = atspi_text_get_text(text, 0, -1, &error);
  if (error || utf8 == nullptr) return {};
  std::string result(utf8);
  g_free(utf8);
  return result;
}

// Character offsets (AT-SPI) to UTF-16 offsets (the services) and back, over `text`.
std::int64_t toUTF16Offset(const std::u32string& text, std::int64_t characters) {
  std::int64_t units = 0;
  for (std::int64_t i = 0; i < characters && i < static_cast<std::int64_t>(text.size()); ++i) {
    units += text[static_cast<std::size_t>(i)] > 0xFFFF ? 2 : 1;
  }
  return units;
}

std::int64_t toCharacterOffset(const std::u32string& text, std::int64_t units) {
  std::int64_t characters = 0;
  for (std::int64_t counted = 0; counted < units && characters < static_cast<std::int64_t>(text.size());
       ++characters) {
    counted += text[static_cast<std::size_t>(characters)] > 0xFFFF ? 2 : 1;
  }
  return characters;
}

AXResult elementResult(const std::shared_ptr<DesktopThread>& desktop, AtspiAccessible* accessible) {
  if (accessible == nullptr) return {AXError::noValue, std::nullopt};
  return {AXError::success, AXValue(std::shared_ptr<AccessibilityElement>(
                                std::make_shared<LinuxAccessibilityElement>(desktop, accessible)))};
}

bool isWindowRole(AtspiRole role) {
  return role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_WINDOW || role == ATSPI_ROLE_DIALOG;
}

}  // namespace

LinuxAccessibilityElement::LinuxAccessibilityElement(std::shared_ptr<DesktopThread> desktop, void* accessible)
    : desktop_(std::move(desktop)), accessible_(accessible) {}

LinuxAccessibilityElement::~LinuxAccessibilityElement() {
  if (accessible_ != nullptr)
    desktop_->post([accessible = accessible_] { g_object_unref(object(accessible)); });
}

int LinuxAccessibilityElement::processIdentifier() const {
  return desktop_->call([this] {
    ErrorSlot error;
    const auto pid = atspi_accessible_get_process_id(object(accessible_), &error);
    return error ? 0 : static_cast<int>(pid);
  });
}

std::string LinuxAccessibilityElement::description() const {
  const auto role = copyAttributeValue("AXRole");
  const auto* name = role.value ? std::get_if<std::string>(&*role.value) : nullptr;
  return "<" + (name != nullptr ? *name : std::string("AXUnknown")) + " pid " +
         std::to_string(processIdentifier()) + ">";
}

AXResult LinuxAccessibilityElement::copyAttributeValue(std::string_view attribute) const {
  desktop_->waitForTypedText(typingLimit);
  return desktop_->call([this, attribute] { return readOnDesktopThread(attribute); });
}

AXResult LinuxAccessibilityElement::readOnDesktopThread(std::string_view attribute) const {
  AtspiAccessible* accessible = object(accessible_);
  if (attribute == "AXRole") {
    ErrorSlot error;
    const auto role = atspi_accessible_get_role(accessible, &error);
    if (error) return {AXError::invalidUIElement, std::nullopt};
    return {AXError::success, AXValue(roleName(role))};
  }
  if (attribute == "AXTitle") {
    ErrorSlot error;
    gchar* name = atspi_accessible_get_name(accessible, &error);
    if (error || name == nullptr) return {AXError::invalidUIElement, std::nullopt};
    std::string title(name);
    g_free(name);
    return {AXError::success, AXValue(std::move(title))};
  }
  if (attribute == "AXParent") {
    ErrorSlot error;
    AtspiAccessible* parent = atspi_accessible_get_parent(accessible, &error);
    if (error) return {AXError::invalidUIElement, std::nullopt};
    return elementResult(desktop_, parent);
  }
  if (attribute == "AXWindow") {
    g_object_ref(accessible);
    for (AtspiAccessible* current = accessible; current != nullptr;) {
      ErrorSlot error;
      const auto role = atspi_accessible_get_role(current, &error);
      if (!error && isWindowRole(role)) return elementResult(desktop_, current);
      ErrorSlot parentError;
      AtspiAccessible* parent = atspi_accessible_get_parent(current, &parentError);
      g_object_unref(current);
      current = parentError ? nullptr : parent;
    }
    return {AXError::noValue, std::nullopt};
  }
  if (attribute != "AXValue" && attribute != "AXSelectedText" && attribute != "AXSelectedTextRange") {
    return {AXError::attributeUnsupported, std::nullopt};
  }
  TextInterface text(accessible);
  if (text.text == nullptr) return {AXError::noValue, std::nullopt};
  const auto utf8 = textOf(text.text);
  if (attribute == "AXValue") return {AXError::success, AXValue(utf8)};
  const auto characters = unicode::toUTF32(utf8);
  std::int64_t start = 0;
  std::int64_t end = 0;
  ErrorSlot error;
  if (atspi_text_get_n_selections(text.text, &error) > 0 && !error) {
    ErrorSlot selectionError;
    AtspiRange* range = atspi_text_get_selection(text.text, 0, &selectionError);
    if (selectionError || range == nullptr) return {AXError::cannotComplete, std::nullopt};
    start = std::min(range->start_offset, range->end_offset);
    end = std::max(range->start_offset, range->end_offset);
    g_free(range);
  } else {
    ErrorSlot caretError;
    start = end = atspi_text_get_caret_offset(text.text, &caretError);
    if (caretError) return {AXError::cannotComplete, std::nullopt};
  }
  const AXRange range{toUTF16Offset(characters, start),
                      toUTF16Offset(characters, end) - toUTF16Offset(characters, start)};
  if (attribute == "AXSelectedTextRange") return {AXError::success, AXValue(range)};
  return {AXError::success, AXValue(unicode::substring(utf8, {static_cast<std::size_t>(range.location),
                                                              static_cast<std::size_t>(range.length)}))};
}

AXError LinuxAccessibilityElement::setAttributeValue(std::string_view attribute, const AXValue& value) {
  if (attribute != "AXSelectedTextRange") return AXError::attributeUnsupported;
  const auto* range = std::get_if<AXRange>(&value);
  if (range == nullptr || range->location < 0 || range->length < 0) return AXError::illegalArgument;
  desktop_->waitForTypedText(typingLimit);
  // Keys typed just before reach the application on their own time: a range past the end of the
  // text waits a moment for them, asking again between tries off the desktop thread.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (true) {
    const auto status = selectRange(*range);
    if (status != AXError::illegalArgument || std::chrono::steady_clock::now() >= giveUp) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

AXError LinuxAccessibilityElement::selectRange(const AXRange& wanted) {
  return desktop_->call([this, range = wanted] {
    TextInterface text(object(accessible_));
    if (text.text == nullptr) return AXError::attributeUnsupported;
    const auto characters = unicode::toUTF32(textOf(text.text));
    std::int64_t units = 0;
    for (const char32_t c : characters) units += c > 0xFFFF ? 2 : 1;
    if (range.location + range.length > units) return AXError::illegalArgument;
    const auto start = static_cast<gint>(toCharacterOffset(characters, range.location));
    const auto end = static_cast<gint>(toCharacterOffset(characters, range.location + range.length));
    ErrorSlot error;
    bool done = false;
    if (start == end) {
      done = atspi_text_set_caret_offset(text.text, start, &error);
    } else {
      ErrorSlot countError;
      const bool hasSelection = atspi_text_get_n_selections(text.text, &countError) > 0;
      done = hasSelection ? atspi_text_set_selection(text.text, 0, start, end, &error)
                          : atspi_text_add_selection(text.text, start, end, &error);
    }
    return (done && !error) ? AXError::success : AXError::cannotComplete;
  });
}

AXResult LinuxAccessibilityElement::copyParameterizedAttributeValue(std::string_view attribute,
                                                                    const AXValue& parameter) const {
  if (attribute != "AXBoundsForRange") return {AXError::parameterizedAttributeUnsupported, std::nullopt};
  const auto* range = std::get_if<AXRange>(&parameter);
  if (range == nullptr) return {AXError::illegalArgument, std::nullopt};
  return desktop_->call([this, range = *range]() -> AXResult {
    TextInterface text(object(accessible_));
    if (text.text == nullptr) return {AXError::parameterizedAttributeUnsupported, std::nullopt};
    const auto characters = unicode::toUTF32(textOf(text.text));
    const auto start = static_cast<gint>(toCharacterOffset(characters, range.location));
    const auto end = static_cast<gint>(toCharacterOffset(characters, range.location + range.length));
    ErrorSlot error;
    // A caret (an empty range) has the place of the character after it, with no width.
    AtspiRect* extents =
        start == end ? atspi_text_get_character_extents(text.text, start, ATSPI_COORD_TYPE_SCREEN, &error)
                     : atspi_text_get_range_extents(text.text, start, end, ATSPI_COORD_TYPE_SCREEN, &error);
    if (extents != nullptr && start == end) extents->width = 0;
    if (error || extents == nullptr) return {AXError::cannotComplete, std::nullopt};
    const Rect bounds{static_cast<double>(extents->x), static_cast<double>(extents->y),
                      static_cast<double>(extents->width), static_cast<double>(extents->height)};
    g_free(extents);
    return {AXError::success, AXValue(bounds)};
  });
}

}  // namespace platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Desktop/AXValue.h"
#include "Quellorin/Services/CaretLine.h"
#include "Quellorin/Services/SelectedText.h"

namespace platform {
class AccessibilityElement;
}

namespace quellorin {

// Reads and writes text in the application in front: through its accessibility tree (the
// focused element, the line at the caret, the selection's rectangle), through the pasteboard
// (the selection, copied by a synthetic Command+C) and through synthetic key events (typing).
// Every platform service comes from the installed environment at the time of the call.
//
// Threads: the capture operations take a completion and return at once; their work and the
// completion run on the task pool. Their waits (0.5 s between reads of the focused element,
// 130 ms inside the copy command, 200 ms for the application to copy) hold no thread: the
// next step is queued on the main queue after the delay and then handed back to the pool.
// The synchronous operations run on the caller's thread. Safe to use from several threads.
//
// Lifetime: made with std::make_shared (shared() or its owner's); a capture's delayed steps hold
// it weakly. A capture whose service is gone when its next step is due ends there, and its
// completion gets the empty answer (no element, no line, no text) on the pool.
class TextHandlingService : public std::enable_shared_from_this<TextHandlingService> {
 public:
  using Element = std::shared_ptr<platform::AccessibilityElement>;
  using ElementCompletion = std::function<void(Element)>;
  using LineCompletion = std::function<void(std::optional<CaretLine>)>;
  using TextCompletion = std::function<void(std::optional<std::string>)>;
  using SelectionCompletion = std::function<void(SelectedText)>;

  // What caretLocation answers when there is no caret.
  static constexpr std::int64_t notFound = std::numeric_limits<std::int64_t>::max();

  // The process-wide instance, made on first use.
  static std::shared_ptr<TextHandlingService> shared();

  // --- Accessibility -------------------------------------------------------------------------
  // Selects the line at the caret of the focused element and hands it over; none when there
  // is no focused element, no text or no caret inside the text.
  void selectCurrentLine(LineCompletion completion);
  // The selection copied through the pasteboard, with its rectangle when the Accessibility
  // interface gives one.
  void getSelectedText(SelectionCompletion completion);
  // The focused element of the application in front. A failed read switches on that
  // application's manual accessibility and tries again 0.5 s later, up to depth 3.
  void fetchFocusedElement(int depth, ElementCompletion completion);
  void enableManualAccessibility();
  std::optional<platform::AXRange> selectedTextRange(const Element& element);
  // The rectangle of `range` in screen coordinates; a zero-sized one is replaced by the first
  // sized rectangle of an ancestor.
  std::optional<platform::Rect> boundsForRange(const Element& element, const platform::AXRange& range);
  std::optional<platform::Rect> parentElementPosition(const Element& element, const platform::AXRange& range);
  // The caret's position in UTF-16 units, or notFound.
  std::int64_t caretLocation(const Element& element);
  // Finds the line of `text` that holds the caret, counting in UTF-16 units; a caret right
  // before a line feed belongs to the line it ends. Selects it in the element.
  std::optional<CaretLine> selectLineAtCaret(const std::string& text, const Element& element);
  // From Accessibility coordinates (origin at the top left of the primary screen) to screen
  // coordinates (origin at its bottom left), with the primary screen's height.
  static platform::Rect toCocoaCoordinates(const platform::Rect& rect);
  void logElementRole(const Element& element);
  // The element found by the last successful read of the focused element, or null.
  // Thread-safe: written on the pool, read on the main thread.
  Element originalFocusedElement() const;

  // --- Pasteboard and keyboard ---------------------------------------------------------------
  // Clears the pasteboard and posts Command+C to the application in front. Posts nothing when
  // no event source can be made.
  void simulateCopy(std::function<void()> completion);
  // The text the application copied, or none; the pasteboard then gets back every item it
  // held before, with all their types (an empty pasteboard keeps what was copied).
  void copySelectedTextViaClipboard(TextCompletion completion);
  // Types `text` into the application in front, one key press per UTF-16 unit (a character
  // beyond U+FFFF is two presses, high surrogate first). Answers the number of units posted.
  std::size_t typeText(std::string_view text);
  // Puts `markdown` on the pasteboard as one item with its plain text and its HTML rendering
  // (UTF-16 with a byte-order mark). True when the pasteboard then holds the text: a desktop
  // that refused or dropped the write answers false.
  bool copyToPasteboard(const std::string& markdown);
  // The HTML of `markdown`, with soft line breaks rendered as hard ones; empty on failure.
  static std::string markdownToHTML(const std::string& markdown);

 private:
  void setOriginalFocusedElement(Element element);
  static void postCopyKeyUps(std::function<void()> completion);

  mutable std::mutex mutex_;
  Element originalFocusedElement_;
};

}  // namespace quellorin

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "Platform/Desktop/AXValue.h"
#include "Platform/Desktop/AccessibilityElement.h"

namespace platform {

// One element of an application's simulated accessibility tree: an application, a window, a
// text field, or the system-wide element. Its text is kept in UTF-16 units, as the
// Accessibility interface counts, so that an edit may insert half of a surrogate pair and the
// other half later, as key events do.
//
// Two sides: the Accessibility interface that the application calls (copyAttributeValue,
// setAttributeValue, copyParameterizedAttributeValue), each answering a status code; and the
// desktop side that tests use to build and inspect the element and to inject failures.
// Thread-safe: every member may be called from any thread.
class SimulatedAccessibilityElement final : public AccessibilityElement {
 public:
  // Answers a read of one attribute when it is asked, instead of a stored value.
  using Provider = std::function<AXResult()>;

  SimulatedAccessibilityElement(int processIdentifier, std::string role);
  SimulatedAccessibilityElement(const SimulatedAccessibilityElement&) = delete;
  SimulatedAccessibilityElement& operator=(const SimulatedAccessibilityElement&) = delete;

  int processIdentifier() const override { return processIdentifier_; }
  // For log lines, for example "<AXTextArea pid 100>".
  std::string description() const override;

  // --- The Accessibility interface -----------------------------------------------------------
  // "AXRole" and any stored attribute; "AXValue" (the text), "AXSelectedTextRange" and
  // "AXSelectedText" of an element with text. An attribute the element lacks answers
  // attributeUnsupported (noValue for a text attribute of an element without text).
  AXResult copyAttributeValue(std::string_view attribute) const override;
  // Writes "AXValue" (a text), "AXSelectedTextRange" (a range inside the text; otherwise
  // illegalArgument) or an attribute made settable; any other answers attributeUnsupported.
  AXError setAttributeValue(std::string_view attribute, const AXValue& value) override;
  // "AXBoundsForRange" with a range: the rectangle given by setBoundsForRanges.
  AXResult copyParameterizedAttributeValue(std::string_view attribute,
                                           const AXValue& parameter) const override;

  // --- The desktop side ----------------------------------------------------------------------
  void setAttribute(const std::string& attribute, AXValue value);
  void setProvider(const std::string& attribute, Provider provider);
  void makeSettable(const std::string& attribute);
  // Every read and write of `attribute` answers `error` until cleared.
  void injectFailure(const std::string& attribute, AXError error);
  void clearFailure(const std::string& attribute);

  // Gives the element a text (UTF-8), with the caret at its end.
  void setText(std::string_view utf8);
  std::string text() const;
  bool hasText() const;
  void setSelection(AXRange range);
  AXRange selection() const;
  std::string selectedText() const;
  // Replaces the selection by `units` and puts the caret after them, as typing does.
  void insert(std::u16string_view units);
  // The rectangle that "AXBoundsForRange" answers for any range; none answers
  // parameterizedAttributeUnsupported.
  void setBoundsForRanges(std::optional<Rect> bounds);

 private:
  std::optional<AXError> injectedFailure(std::string_view attribute) const;
  bool rangeFits(const AXRange& range) const;

  const int processIdentifier_;
  const std::string role_;
  mutable std::mutex mutex_;
  std::map<std::string, AXValue, std::less<>> attributes_;
  std::map<std::string, Provider, std::less<>> providers_;
  std::set<std::string, std::less<>> settable_;
  std::map<std::string, AXError, std::less<>> failures_;
  std::optional<std::u16string> text_;
  AXRange selection_;
  std::optional<Rect> bounds_;
};

}  // namespace platform

#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"

#include <utility>

#include "Platform/Core/Unicode.h"

namespace platform {

namespace {

std::size_t unitIndex(std::int64_t position) { return static_cast<std::size_t>(position); }

}  // namespace

SimulatedAccessibilityElement::SimulatedAccessibilityElement(int processIdentifier, std::string role)
    : processIdentifier_(processIdentifier), role_(std::move(role)) {}

std::string SimulatedAccessibilityElement::description() const {
  return "<" + role_ + " pid " + std::to_string(processIdentifier_) + ">";
}

std::optional<AXError> SimulatedAccessibilityElement::injectedFailure(std::string_view attribute) const {
  const auto found = failures_.find(attribute);
  if (found == failures_.end()) return std::nullopt;
  return found->second;
}

bool SimulatedAccessibilityElement::rangeFits(const AXRange& range) const {
  const auto length = static_cast<std::int64_t>(text_ ? text_->size() : 0);
  return range.location >= 0 && range.length >= 0 && range.location <= length &&
         range.length <= length - range.location;
}

AXResult SimulatedAccessibilityElement::copyAttributeValue(std::string_view attribute) const {
  Provider provider;
  {
    std::lock_guard lock(mutex_);
    if (const auto failure = injectedFailure(attribute)) return {*failure, std::nullopt};
    if (const auto found = providers_.find(attribute); found != providers_.end()) {
      provider = found->second;
    } else if (attribute == "AXRole") {
      return {AXError::success, AXValue(role_)};
    } else if (attribute == "AXValue" || attribute == "AXSelectedTextRange" ||
               attribute == "AXSelectedText") {
      if (!text_) return {AXError::noValue, std::nullopt};
      if (attribute == "AXValue") return {AXError::success, AXValue(unicode::toUTF8(*text_))};
      if (attribute == "AXSelectedTextRange") return {AXError::success, AXValue(selection_)};
      return {AXError::success, AXValue(unicode::toUTF8(text_->substr(unitIndex(selection_.location),
                                                                      unitIndex(selection_.length))))};
    } else if (const auto stored = attributes_.find(attribute); stored != attributes_.end()) {
      return {AXError::success, stored->second};
    } else {
      return {AXError::attributeUnsupported, std::nullopt};
    }
  }
  return provider();
}

AXError SimulatedAccessibilityElement::setAttributeValue(std::string_view attribute, const AXValue& value) {
  std::lock_guard lock(mutex_);
  if (const auto failure = injectedFailure(attribute)) return *failure;
  if (attribute == "AXValue" && text_) {
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) return AXError::illegalArgument;
    text_ = unicode::toUTF16(*text);
    selection_ = {static_cast<std::int64_t>(text_->size()), 0};
    return AXError::success;
  }
  if (attribute == "AXSelectedTextRange" && text_) {
    const auto* range = std::get_if<AXRange>(&value);
    if (range == nullptr || !rangeFits(*range)) return AXError::illegalArgument;
    selection_ = *range;
    return AXError::success;
  }
  if (const auto found = settable_.find(attribute); found != settable_.end()) {
    attributes_.insert_or_assign(*found, value);
    return AXError::success;
  }
  return AXError::attributeUnsupported;
}

AXResult SimulatedAccessibilityElement::copyParameterizedAttributeValue(std::string_view attribute,
                                                                        const AXValue& parameter) const {
  std::lock_guard lock(mutex_);
  if (const auto failure = injectedFailure(attribute)) return {*failure, std::nullopt};
  if (attribute != "AXBoundsForRange" || !bounds_)
    return {AXError::parameterizedAttributeUnsupported, std::nullopt};
  if (!std::holds_alternative<AXRange>(parameter)) return {AXError::illegalArgument, std::nullopt};
  return {AXError::success, AXValue(*bounds_)};
}

void SimulatedAccessibilityElement::setAttribute(const std::string& attribute, AXValue value) {
  std::lock_guard lock(mutex_);
  attributes_.insert_or_assign(attribute, std::move(value));
}

void SimulatedAccessibilityElement::setProvider(const std::string& attribute, Provider provider) {
  std::lock_guard lock(mutex_);
  providers_.insert_or_assign(attribute, std::move(provider));
}

void SimulatedAccessibilityElement::makeSettable(const std::string& attribute) {
  std::lock_guard lock(mutex_);
  settable_.insert(attribute);
}

void SimulatedAccessibilityElement::injectFailure(const std::string& attribute, AXError error) {
  std::lock_guard lock(mutex_);
  failures_.insert_or_assign(attribute, error);
}

void SimulatedAccessibilityElement::clearFailure(const std::string& attribute) {
  std::lock_guard lock(mutex_);
  failures_.erase(attribute);
}

void SimulatedAccessibilityElement::setText(std::string_view utf8) {
  std::lock_guard lock(mutex_);
  text_ = unicode::toUTF16(utf8);
  selection_ = {static_cast<std::int64_t>(text_->size()), 0};
}

std::string SimulatedAccessibilityElement::text() const {
  std::lock_guard lock(mutex_);
  return text_ ? unicode::toUTF8(*text_) : std::string();
}

bool SimulatedAccessibilityElement::hasText() const {
  std::lock_guard lock(mutex_);
  return text_.has_value();
}

void SimulatedAccessibilityElement::setSelection(AXRange range) {
  std::lock_guard lock(mutex_);
  if (rangeFits(range)) selection_ = range;
}

AXRange SimulatedAccessibilityElement::selection() const {
  std::lock_guard lock(mutex_);
  return selection_;
}

std::string SimulatedAccessibilityElement::selectedText() const {
  std::lock_guard lock(mutex_);
  if (!text_) return {};
  return unicode::toUTF8(text_->substr(unitIndex(selection_.location), unitIndex(selection_.length)));
}

void SimulatedAccessibilityElement::insert(std::u16string_view units) {
  std::lock_guard lock(mutex_);
  if (!text_) return;
  text_->replace(unitIndex(selection_.location), unitIndex(selection_.length), units);
  selection_ = {selection_.location + static_cast<std::int64_t>(units.size()), 0};
}

void SimulatedAccessibilityElement::setBoundsForRanges(std::optional<Rect> bounds) {
  std::lock_guard lock(mutex_);
  bounds_ = bounds;
}

}  // namespace platform

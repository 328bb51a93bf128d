#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Text/AttributeValue.h"
#include "Platform/Text/TextRange.h"

namespace platform {

using Attributes = std::map<std::string, AttributeValue>;

// One stretch of text over which an attribute keeps one value (or is absent).
struct AttributeRun {
  std::optional<AttributeValue> value;
  TextRange range;
};

// Text with attributes over ranges. Characters are UTF-16 code units, and every position,
// length and range is counted in them. Every character carries exactly one attribute dictionary;
// adjacent characters with equal dictionaries form one run. Operations given a range or position
// outside the text throw std::out_of_range and change nothing. A value type, not synchronised:
// one thread at a time.
class AttributedString {
 public:
  AttributedString() = default;
  explicit AttributedString(std::u16string text, Attributes attributes = {});

  const std::u16string& string() const { return text_; }
  std::size_t length() const { return text_.size(); }

  // The attributes of the character at `position`; `effectiveRange` receives the run's range.
  const Attributes& attributes(std::size_t position, TextRange* effectiveRange = nullptr) const;
  // The value of `key` at `position`, or null; `longestRange` receives the longest range
  // around it over which the value stays equal. The pointer is valid until the next change.
  const AttributeValue* attribute(const std::string& key, std::size_t position,
                                  TextRange* longestRange = nullptr) const;
  template <class T>
  const T* attribute(const std::string& key, std::size_t position) const {
    const AttributeValue* value = attribute(key, position);
    return value != nullptr ? value->get<T>() : nullptr;
  }

  // The runs of `key` over `range`, in order, clipped to it; equal neighbours are merged and
  // stretches without the key appear with no value. The result is a copy: callers may change the
  // string while they walk it.
  std::vector<AttributeRun> runsOf(const std::string& key, TextRange range) const;
  void enumerateAttribute(const std::string& key, TextRange range,
                          const std::function<void(const AttributeValue*, TextRange)>& visit) const;
  // Every run of whole attribute dictionaries over `range`, clipped to it.
  void enumerateAttributes(TextRange range,
                           const std::function<void(const Attributes&, TextRange)>& visit) const;

  // Replaces every attribute of `range` with `attributes`.
  void setAttributes(const Attributes& attributes, TextRange range);
  // Adds or overwrites the given keys over `range`, keeping the others.
  void addAttribute(const std::string& key, const AttributeValue& value, TextRange range);
  void addAttributes(const Attributes& attributes, TextRange range);
  void removeAttribute(const std::string& key, TextRange range);

  void append(const AttributedString& other);
  void insert(const AttributedString& other, std::size_t position);
  void replaceCharacters(TextRange range, const AttributedString& replacement);
  // The new characters take the attributes of the first replaced character, or of the character
  // before the range when it is empty (none at the very start of an empty string).
  void replaceCharacters(TextRange range, const std::u16string& replacement);

  AttributedString substring(TextRange range) const;

  // The range of the whole paragraphs that `range` touches, each with its terminator
  // (LF, CR, CR LF or U+2029).
  TextRange paragraphRange(TextRange range) const;

  bool operator==(const AttributedString& other) const;

 private:
  struct Run {
    std::size_t location;
    std::size_t length;
    Attributes attributes;
    std::size_t end() const { return location + length; }
    bool operator==(const Run&) const = default;
  };

  void checkRange(TextRange range) const;
  std::size_t runIndexAt(std::size_t position) const;
  // Splits so that a run starts at `position`; answers its index (runs_.size() at the end).
  std::size_t splitAt(std::size_t position);
  void mergeRuns(std::size_t first, std::size_t last);
  void changeAttributes(TextRange range, const std::function<void(Attributes&)>& change);

  std::u16string text_;
  std::vector<Run> runs_;  // cover the text in order, none empty
};

}  // namespace platform

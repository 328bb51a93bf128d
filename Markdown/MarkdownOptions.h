#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

namespace markdown {

// A set of cmark option bits. The raw value is handed to cmark as it stands, so bits
// without a name here (cmark's "no breaks", 16, for example) reach cmark unchanged.
// A plain value: cheap to copy, usable from any thread.
class MarkdownOptions {
 public:
  constexpr MarkdownOptions() noexcept = default;
  constexpr explicit MarkdownOptions(std::int32_t rawValue) noexcept : rawValue_(rawValue) {}
  // The union of the listed options: {MarkdownOptions::hardBreaks, MarkdownOptions::smart}.
  constexpr MarkdownOptions(std::initializer_list<MarkdownOptions> options) noexcept {
    for (MarkdownOptions option : options) {
      rawValue_ |= option.rawValue_;
    }
  }

  static const MarkdownOptions default_;      // 0: no option
  static const MarkdownOptions sourcePos;     // source positions in HTML and XML
  static const MarkdownOptions hardBreaks;    // soft line breaks rendered as hard breaks
  static const MarkdownOptions safe;          // legacy bit, no effect
  static const MarkdownOptions unsafe;        // raw HTML and unsafe links passed through
  static const MarkdownOptions normalize;     // legacy bit, no effect
  static const MarkdownOptions validateUTF8;  // invalid UTF-8 in the input replaced by U+FFFD
  static const MarkdownOptions smart;         // curly quotes, dashes, ellipses
  static const MarkdownOptions smartUnsafe;   // smart and unsafe together

  constexpr std::int32_t rawValue() const noexcept { return rawValue_; }

  constexpr bool isEmpty() const noexcept { return rawValue_ == 0; }
  constexpr bool contains(MarkdownOptions member) const noexcept {
    return (rawValue_ & member.rawValue_) == member.rawValue_;
  }
  constexpr bool isSubset(MarkdownOptions other) const noexcept { return other.contains(*this); }
  constexpr bool isSuperset(MarkdownOptions other) const noexcept { return contains(other); }
  constexpr bool isDisjoint(MarkdownOptions other) const noexcept {
    return (rawValue_ & other.rawValue_) == 0;
  }

  constexpr MarkdownOptions union_(MarkdownOptions other) const noexcept {
    return MarkdownOptions(rawValue_ | other.rawValue_);
  }
  constexpr MarkdownOptions intersection(MarkdownOptions other) const noexcept {
    return MarkdownOptions(rawValue_ & other.rawValue_);
  }
  constexpr MarkdownOptions symmetricDifference(MarkdownOptions other) const noexcept {
    return MarkdownOptions(rawValue_ ^ other.rawValue_);
  }
  constexpr MarkdownOptions subtracting(MarkdownOptions other) const noexcept {
    return MarkdownOptions(rawValue_ & ~other.rawValue_);
  }

  // Adds the member; answers whether it was not wholly present before, and the member as
  // it is in the set afterwards (the part that was already there when nothing was added).
  constexpr std::pair<bool, MarkdownOptions> insert(MarkdownOptions member) noexcept {
    const MarkdownOptions before = intersection(member);
    const bool inserted = before != member;
    rawValue_ |= member.rawValue_;
    return {inserted, inserted ? member : before};
  }
  // Removes the member; answers the bits that were removed, or nothing when none were set.
  constexpr std::optional<MarkdownOptions> remove(MarkdownOptions member) noexcept {
    const MarkdownOptions removed = intersection(member);
    rawValue_ &= ~member.rawValue_;
    return removed.isEmpty() ? std::nullopt : std::optional(removed);
  }
  // Adds the member; answers the bits of it that were already set, or nothing.
  constexpr std::optional<MarkdownOptions> update(MarkdownOptions member) noexcept {
    const MarkdownOptions previous = intersection(member);
    rawValue_ |= member.rawValue_;
    return previous.isEmpty() ? std::nullopt : std::optional(previous);
  }

  constexpr MarkdownOptions operator|(MarkdownOptions other) const noexcept { return union_(other); }
  constexpr MarkdownOptions operator&(MarkdownOptions other) const noexcept { return intersection(other); }
  constexpr MarkdownOptions operator^(MarkdownOptions other) const noexcept {
    return symmetricDifference(other);
  }
  constexpr MarkdownOptions operator-(MarkdownOptions other) const noexcept { return subtracting(other); }
  constexpr MarkdownOptions& operator|=(MarkdownOptions other) noexcept { return *this = *this | other; }
  constexpr MarkdownOptions& operator&=(MarkdownOptions other) noexcept { return *this = *this & other; }
  constexpr MarkdownOptions& operator^=(MarkdownOptions other) noexcept { return *this = *this ^ other; }
  constexpr MarkdownOptions& operator-=(MarkdownOptions other) noexcept { return *this = *this - other; }

  friend constexpr bool operator==(MarkdownOptions, MarkdownOptions) noexcept = default;

 private:
  std::int32_t rawValue_ = 0;
};

inline constexpr MarkdownOptions MarkdownOptions::default_{0};
inline constexpr MarkdownOptions MarkdownOptions::sourcePos{1 << 1};
inline constexpr MarkdownOptions MarkdownOptions::hardBreaks{1 << 2};
inline constexpr MarkdownOptions MarkdownOptions::safe{1 << 3};
inline constexpr MarkdownOptions MarkdownOptions::unsafe{1 << 17};
inline constexpr MarkdownOptions MarkdownOptions::normalize{1 << 8};
inline constexpr MarkdownOptions MarkdownOptions::validateUTF8{1 << 9};
inline constexpr MarkdownOptions MarkdownOptions::smart{1 << 10};
inline constexpr MarkdownOptions MarkdownOptions::smartUnsafe{(1 << 10) | (1 << 17)};

}  // namespace markdown

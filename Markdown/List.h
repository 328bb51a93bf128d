#pragma once

#include "Markdown/BaseNode.h"

#include <cstdint>
#include <optional>
#include <string>

namespace markdown {

// A bullet or ordered list; its children are its items.
class List : public BaseNode {
 public:
  // Bullet, or ordered with the number of its first item.
  class ListType {
   public:
    static ListType ordered(std::int64_t start) noexcept { return ListType(true, start); }
    static ListType bullet() noexcept { return ListType(false, 0); }

    bool isOrdered() const noexcept { return ordered_; }
    // The first item's number; 0 for a bullet list.
    std::int64_t start() const noexcept { return start_; }
    // "Bullet", or "Ordered (start: 3)".
    std::string description() const;

    friend bool operator==(const ListType&, const ListType&) noexcept = default;

   private:
    ListType(bool ordered, std::int64_t start) noexcept : ordered_(ordered), start_(start) {}

    bool ordered_;
    std::int64_t start_;
  };

  // What follows the number of an ordered list's items: "1." or "1)".
  enum class Delimiter { period, paren };
  // "period" or "paren".
  static std::string description(Delimiter delimiter);

  using BaseNode::BaseNode;

  // Each property is read once, then kept.
  virtual ListType listType() const;
  virtual void setListType(ListType listType);
  // The number of children; reading it fills children().
  virtual std::int64_t numberOfItems() const;
  virtual void setNumberOfItems(std::int64_t numberOfItems);
  // True when no blank line separates the items or their blocks.
  virtual bool isTight() const;
  virtual void setIsTight(bool isTight);
  // Absent for a bullet list.
  virtual std::optional<Delimiter> delimiter() const;
  virtual void setDelimiter(std::optional<Delimiter> delimiter);

  std::string debugDescription() const override;
  void dispatchTo(NodeDispatch& dispatch) const override;

 private:
  mutable Lazy<ListType> listType_;
  mutable Lazy<std::int64_t> numberOfItems_;
  mutable Lazy<bool> isTight_;
  mutable Lazy<std::optional<Delimiter>> delimiter_;
};

}  // namespace markdown

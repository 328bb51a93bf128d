#pragma once

#include <memory>
#include <utility>

#include "Platform/Text/ParagraphStyle.h"

namespace platform {

// The attribute value under which a paragraph style is stored: a shared reference that compares
// by the styles' values, as attribute values do.
class ParagraphStyleRef {
 public:
  explicit ParagraphStyleRef(std::shared_ptr<ParagraphStyle> style) : style_(std::move(style)) {}

  const std::shared_ptr<ParagraphStyle>& shared() const { return style_; }
  const ParagraphStyle& operator*() const { return *style_; }
  const ParagraphStyle* operator->() const { return style_.get(); }

  bool operator==(const ParagraphStyleRef& other) const {
    return style_ == other.style_ || *style_ == *other.style_;
  }

 private:
  std::shared_ptr<ParagraphStyle> style_;
};

}  // namespace platform

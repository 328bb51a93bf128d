#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Platform/Text/AttributedString.h"

namespace platform {

class LayoutManager;

// The text that layout managers lay out. It owns its layout managers; every change goes through
// it, so that they lay the text out anew before they next answer. Not thread-safe: use a storage
// and its layout managers on one thread.
class TextStorage {
 public:
  TextStorage() = default;
  explicit TextStorage(AttributedString text) : text_(std::move(text)) {}
  ~TextStorage();
  TextStorage(const TextStorage&) = delete;
  TextStorage& operator=(const TextStorage&) = delete;

  const AttributedString& attributedString() const { return text_; }
  std::size_t length() const { return text_.length(); }

  void replaceCharacters(TextRange range, const AttributedString& replacement);
  void setAttributedString(AttributedString text);
  // Any other change, made by `change` on the text in place.
  void edit(const std::function<void(AttributedString&)>& change);

  void addLayoutManager(std::shared_ptr<LayoutManager> layoutManager);
  const std::vector<std::shared_ptr<LayoutManager>>& layoutManagers() const { return layoutManagers_; }

 private:
  void textDidChange();

  AttributedString text_;
  std::vector<std::shared_ptr<LayoutManager>> layoutManagers_;
};

}  // namespace platform

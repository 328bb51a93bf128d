#pragma once

#include <cstddef>
#include <vector>

#include "Markdown/ListItemPrefixGenerator.h"

namespace markdown {

// Markers made once, at creation: a bullet (U+2022) for every item of a bullet list; for an
// ordered list starting at s, "s.", "s+1." and so on, whatever delimiter the list was written
// with. `numberOfItems` must not be negative, and start + numberOfItems must fit in 64 bits.
class StaticListItemPrefixGenerator final : public ListItemPrefixGenerator {
 public:
  StaticListItemPrefixGenerator(List::ListType listType, std::int64_t numberOfItems, int nestDepth);
  // Reads the list's type, number of items and nesting depth.
  explicit StaticListItemPrefixGenerator(const List& list);

  std::optional<std::string> next() override;

 private:
  std::vector<std::string> prefixes_;
  std::size_t cursor_ = 0;
};

// The builder every caller in the library uses: a StaticListItemPrefixGenerator per list.
std::shared_ptr<ListItemPrefixGenerator> defaultListPrefixGeneratorBuilder(const List& list);

}  // namespace markdown

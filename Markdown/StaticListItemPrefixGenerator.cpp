#include "Markdown/StaticListItemPrefixGenerator.h"

namespace markdown {

StaticListItemPrefixGenerator::StaticListItemPrefixGenerator(List::ListType listType,
                                                             std::int64_t numberOfItems, int) {
  prefixes_.reserve(static_cast<std::size_t>(numberOfItems));
  for (std::int64_t index = 0; index < numberOfItems; ++index) {
    prefixes_.push_back(listType.isOrdered() ? std::to_string(listType.start() + index) + "." : "\u2022");
  }
}

StaticListItemPrefixGenerator::StaticListItemPrefixGenerator(const List& list)
    : StaticListItemPrefixGenerator(list.listType(), list.numberOfItems(), list.nestDepth()) {}

std::optional<std::string> StaticListItemPrefixGenerator::next() {
  if (cursor_ >= prefixes_.size()) {
    return std::nullopt;
  }
  return prefixes_[cursor_++];
}

std::shared_ptr<ListItemPrefixGenerator> defaultListPrefixGeneratorBuilder(const List& list) {
  return std::make_shared<StaticListItemPrefixGenerator>(list);
}

}  // namespace markdown

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Markdown/List.h"

namespace markdown {

// Gives the markers of a list's items, one per call, in order. Generators are shared objects:
// advancing one through any reference advances it for every holder.
class ListItemPrefixGenerator {
 public:
  virtual ~ListItemPrefixGenerator() = default;
  // The marker of the next item (UTF-8), or nothing once every item has had one.
  virtual std::optional<std::string> next() = 0;
};

// Makes the generator for one list.
using ListPrefixGeneratorBuilder = std::function<std::shared_ptr<ListItemPrefixGenerator>(const List& list)>;

}  // namespace markdown

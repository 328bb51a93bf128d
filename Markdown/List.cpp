#include "Markdown/List.h"

#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

namespace markdown {

std::string List::ListType::description() const {
  return ordered_ ? "Ordered (start: " + std::to_string(start_) + ")" : "Bullet";
}

std::string List::description(Delimiter delimiter) {
  return delimiter == Delimiter::period ? "period" : "paren";
}

List::ListType List::listType() const {
  return listType_.get([this] {
    return handle::listType(cmarkNode()) == CMARK_ORDERED_LIST
               ? ListType::ordered(handle::listStart(cmarkNode()))
               : ListType::bullet();
  });
}

void List::setListType(ListType listType) { listType_.set(listType); }

std::int64_t List::numberOfItems() const {
  return numberOfItems_.get([this] { return static_cast<std::int64_t>(children().size()); });
}

void List::setNumberOfItems(std::int64_t numberOfItems) { numberOfItems_.set(numberOfItems); }

bool List::isTight() const {
  return isTight_.get([this] { return handle::listTight(cmarkNode()); });
}

void List::setIsTight(bool isTight) { isTight_.set(isTight); }

std::optional<List::Delimiter> List::delimiter() const {
  return delimiter_.get([this]() -> std::optional<Delimiter> {
    switch (handle::listDelimiter(cmarkNode())) {
      case CMARK_PERIOD_DELIM:
        return Delimiter::period;
      case CMARK_PAREN_DELIM:
        return Delimiter::paren;
      case CMARK_NO_DELIM:
        break;
    }
    return std::nullopt;
  });
}

void List::setDelimiter(std::optional<Delimiter> delimiter) { delimiter_.set(delimiter); }

std::string List::debugDescription() const {
  std::string line =
      "List - type: " + listType().description() + ", isTight: " + (isTight() ? "true" : "false");
  if (const std::optional<Delimiter> listDelimiter = delimiter()) {
    line += ", delimiter: " + description(*listDelimiter);
  }
  return line;
}

void List::dispatchTo(NodeDispatch& dispatch) const { dispatch.onList(*this); }

}  // namespace markdown

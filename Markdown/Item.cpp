#include "Markdown/Item.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Item::debugDescription() const { return "Item"; }

void Item::dispatchTo(NodeDispatch& dispatch) const { dispatch.onItem(*this); }

}  // namespace markdown

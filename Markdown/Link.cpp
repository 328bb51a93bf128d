#include "Markdown/Link.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Link::debugDescription() const {
  return "Link - title: " + description::textOrNil(title()) + ", url: " + description::textOrNil(url()) + ")";
}

void Link::dispatchTo(NodeDispatch& dispatch) const { dispatch.onLink(*this); }

}  // namespace markdown

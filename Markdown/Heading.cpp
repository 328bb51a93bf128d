#include "Markdown/Heading.h"

#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

namespace markdown {

int Heading::headingLevel() const {
  return headingLevel_.get([this] { return handle::headingLevel(cmarkNode()); });
}

void Heading::setHeadingLevel(int headingLevel) { headingLevel_.set(headingLevel); }

std::string Heading::debugDescription() const { return "Heading - L" + std::to_string(headingLevel()); }

void Heading::dispatchTo(NodeDispatch& dispatch) const { dispatch.onHeading(*this); }

}  // namespace markdown

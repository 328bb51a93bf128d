#include "Markdown/Paragraph.h"

#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Paragraph::debugDescription() const { return "Paragraph"; }

void Paragraph::dispatchTo(NodeDispatch& dispatch) const { dispatch.onParagraph(*this); }

}  // namespace markdown

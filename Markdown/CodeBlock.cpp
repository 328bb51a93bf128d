#include "Markdown/CodeBlock.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& CodeBlock::fenceInfo() const {
  return fenceInfo_.get([this] { return handle::fenceInfo(cmarkNode()); });
}

void CodeBlock::setFenceInfo(std::optional<std::string> fenceInfo) { fenceInfo_.set(std::move(fenceInfo)); }

std::string CodeBlock::debugDescription() const {
  return "Code Block - fenceInfo: " + description::textOrNil(fenceInfo()) +
         ", content: " + description::escapedTextOrNil(literal());
}

void CodeBlock::dispatchTo(NodeDispatch& dispatch) const { dispatch.onCodeBlock(*this); }

}  // namespace markdown

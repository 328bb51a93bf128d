#pragma once

#include "Markdown/BaseNode.h"

#include <optional>
#include <string>

namespace markdown {

// An indented or fenced code block.
class CodeBlock : public BaseNode {
public:
    using BaseNode::BaseNode;

    // The node's text; absent when cmark has none or it is empty. Read once, then kept.
    virtual const std::optional<std::string>& literal() const;
    virtual void setLiteral(std::optional<std::string> literal);

    // The info string after the opening fence; absent when there is none. Read once, then kept.
    virtual const std::optional<std::string>& fenceInfo() const;
    virtual void setFenceInfo(std::optional<std::string> fenceInfo);

    std::string debugDescription() const override;
    void dispatchTo(NodeDispatch& dispatch) const override;

private:
    mutable Lazy<std::optional<std::string>> literal_;
    mutable Lazy<std::optional<std::string>> fenceInfo_;
};

}  // namespace markdown

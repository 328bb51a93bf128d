#pragma once

#include "Markdown/BaseNode.h"

#include <optional>
#include <string>

namespace markdown {

// An inline code span.
class Code : public BaseNode {
public:
    using BaseNode::BaseNode;

    // The node's text; absent when cmark has none or it is empty. Read once, then kept.
    virtual const std::optional<std::string>& literal() const;
    virtual void setLiteral(std::optional<std::string> literal);

    std::string debugDescription() const override;
    void dispatchTo(NodeDispatch& dispatch) const override;

private:
    mutable Lazy<std::optional<std::string>> literal_;
};

}  // namespace markdown

#pragma once

#include "Markdown/BaseNode.h"

#include <optional>
#include <string>

namespace markdown {

// An image; its children are the image's description.
class Image : public BaseNode {
public:
    using BaseNode::BaseNode;

    // The title; absent when there is none. Read once, then kept.
    virtual const std::optional<std::string>& title() const;
    virtual void setTitle(std::optional<std::string> title);

    // The destination; absent when there is none. Read once, then kept.
    virtual const std::optional<std::string>& url() const;
    virtual void setUrl(std::optional<std::string> url);

    std::string debugDescription() const override;
    void dispatchTo(NodeDispatch& dispatch) const override;

private:
    mutable Lazy<std::optional<std::string>> title_;
    mutable Lazy<std::optional<std::string>> url_;
};

}  // namespace markdown

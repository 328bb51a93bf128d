#include "Markdown/Link.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& Link::title() const {
    return title_.get([this] { return handle::title(cmarkNode()); });
}

void Link::setTitle(std::optional<std::string> title) { title_.set(std::move(title)); }

const std::optional<std::string>& Link::url() const {
    return url_.get([this] { return handle::url(cmarkNode()); });
}

void Link::setUrl(std::optional<std::string> url) { url_.set(std::move(url)); }

std::string Link::debugDescription() const {
    return "Link - title: " + description::textOrNil(title()) + ", url: " +
           description::textOrNil(url()) + ")";
}

void Link::dispatchTo(NodeDispatch& dispatch) const { dispatch.onLink(*this); }

}  // namespace markdown

#include "Markdown/Image.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"
#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& Image::title() const {
    return title_.get([this] { return handle::title(cmarkNode()); });
}

void Image::setTitle(std::optional<std::string> title) { title_.set(std::move(title)); }

const std::optional<std::string>& Image::url() const {
    return url_.get([this] { return handle::url(cmarkNode()); });
}

void Image::setUrl(std::optional<std::string> url) { url_.set(std::move(url)); }

std::string Image::debugDescription() const {
    return "Image - title: " + description::textOrNil(title()) + ", url: " +
           description::textOrNil(url()) + ")";
}

void Image::dispatchTo(NodeDispatch& dispatch) const { dispatch.onImage(*this); }

}  // namespace markdown

#include "Markdown/DestinationNode.h"

#include "Markdown/NodeHandle.h"

#include <utility>

namespace markdown {

const std::optional<std::string>& DestinationNode::title() const {
  return title_.get([this] { return handle::title(cmarkNode()); });
}

void DestinationNode::setTitle(std::optional<std::string> title) { title_.set(std::move(title)); }

const std::optional<std::string>& DestinationNode::url() const {
  return url_.get([this] { return handle::url(cmarkNode()); });
}

void DestinationNode::setUrl(std::optional<std::string> url) { url_.set(std::move(url)); }

}  // namespace markdown

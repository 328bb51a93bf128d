#pragma once

#include "Markdown/BaseNode.h"

#include <optional>
#include <string>

namespace markdown {

// The base of the node classes that point somewhere: links and images.
class DestinationNode : public BaseNode {
 public:
  using BaseNode::BaseNode;

  // The title; absent when there is none. Read once, then kept.
  virtual const std::optional<std::string>& title() const;
  virtual void setTitle(std::optional<std::string> title);

  // The destination; absent when there is none. Read once, then kept.
  virtual const std::optional<std::string>& url() const;
  virtual void setUrl(std::optional<std::string> url);

 private:
  mutable Lazy<std::optional<std::string>> title_;
  mutable Lazy<std::optional<std::string>> url_;
};

}  // namespace markdown

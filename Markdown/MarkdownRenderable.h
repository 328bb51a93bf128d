#pragma once

#include <string>
#include <string_view>

namespace markdown {

// A type that holds Markdown text. Deriving from the conversion interfaces built on this one
// (MarkdownHTMLRenderable and its siblings) gives a type those conversions for nothing more
// than the two accessors below. Conversions run synchronously on the caller's thread and
// keep no state between calls.
class MarkdownRenderable {
 public:
  virtual ~MarkdownRenderable() = default;

  // The Markdown text, valid until the next change of it.
  virtual std::string_view markdownString() const = 0;
  virtual void setMarkdownString(std::string markdownString) = 0;

 protected:
  MarkdownRenderable() = default;
  MarkdownRenderable(const MarkdownRenderable&) = default;
  MarkdownRenderable(MarkdownRenderable&&) = default;
  MarkdownRenderable& operator=(const MarkdownRenderable&) = default;
  MarkdownRenderable& operator=(MarkdownRenderable&&) = default;
};

}  // namespace markdown

#pragma once

#include "Markdown/MarkdownAttributedStringRenderable.h"
#include "Markdown/MarkdownCommonMarkRenderable.h"
#include "Markdown/MarkdownGroffRenderable.h"
#include "Markdown/MarkdownHTMLRenderable.h"
#include "Markdown/MarkdownLaTeXRenderable.h"
#include "Markdown/MarkdownXMLRenderable.h"

#include <string>
#include <string_view>

namespace markdown {

// Markdown text with every conversion of the library:
//   Markdown(answer).toHTML(MarkdownOptions::hardBreaks)
// A plain value; distinct objects may be used on distinct threads.
class Markdown final : public MarkdownAttributedStringRenderable,
                       public MarkdownXMLRenderable,
                       public MarkdownLaTeXRenderable,
                       public MarkdownGroffRenderable,
                       public MarkdownCommonMarkRenderable {
 public:
  explicit Markdown(std::string markdownString);

  std::string_view markdownString() const override;
  void setMarkdownString(std::string markdownString) override;

 private:
  std::string markdownString_;
};

}  // namespace markdown

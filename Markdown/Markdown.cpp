#include "Markdown/Markdown.h"

#include <utility>

namespace markdown {

Markdown::Markdown(std::string markdownString) : markdownString_(std::move(markdownString)) {}

std::string_view Markdown::markdownString() const { return markdownString_; }

void Markdown::setMarkdownString(std::string markdownString) { markdownString_ = std::move(markdownString); }

}  // namespace markdown

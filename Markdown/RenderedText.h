#pragma once

#include <string>

namespace markdown {

// Takes a text buffer returned by a cmark renderer: copies it out and frees it with `free`,
// whatever happens. Throws MarkdownErrors::astRenderingError when the buffer is null or its
// text is not valid UTF-8.
std::string takeRenderedText(char* buffer);

}  // namespace markdown

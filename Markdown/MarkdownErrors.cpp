#include "Markdown/MarkdownErrors.h"

namespace markdown {

const char* MarkdownErrors::what() const noexcept {
  switch (code_) {
    case markdownToASTError:
      return "markdownToASTError";
    case astRenderingError:
      return "astRenderingError";
    case htmlDataConversionError:
      return "htmlDataConversionError";
    case nonStandardBundleFormatError:
      return "nonStandardBundleFormatError";
  }
  return "MarkdownErrors";
}

}  // namespace markdown

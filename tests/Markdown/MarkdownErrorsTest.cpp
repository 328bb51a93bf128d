#include "Markdown/MarkdownErrors.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace markdown {
namespace {

TEST(MarkdownErrorsTest, CodesAndNamesFollowTheCaseOrder) {
  const MarkdownErrors errors[] = {MarkdownErrors(MarkdownErrors::markdownToASTError),
                                   MarkdownErrors(MarkdownErrors::astRenderingError),
                                   MarkdownErrors(MarkdownErrors::htmlDataConversionError),
                                   MarkdownErrors(MarkdownErrors::nonStandardBundleFormatError)};
  const std::string names[] = {"markdownToASTError", "astRenderingError", "htmlDataConversionError",
                               "nonStandardBundleFormatError"};
  for (int code = 0; code < 4; ++code) {
    EXPECT_EQ(static_cast<int>(errors[code].code()), code);
    EXPECT_EQ(errors[code].what(), names[code]);
  }
  // Equal errors hash alike.
  const MarkdownErrors& rendering = errors[1];
  EXPECT_EQ(rendering, MarkdownErrors(MarkdownErrors::astRenderingError));
  EXPECT_FALSE(rendering == MarkdownErrors(MarkdownErrors::markdownToASTError));
  const std::unordered_set<MarkdownErrors> set{rendering, MarkdownErrors(MarkdownErrors::astRenderingError),
                                               MarkdownErrors(MarkdownErrors::markdownToASTError)};
  EXPECT_EQ(set.size(), 2U);
}

}  // namespace
}  // namespace markdown

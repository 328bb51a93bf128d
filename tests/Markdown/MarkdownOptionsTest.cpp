#include "Markdown/MarkdownOptions.h"

#include <cmark.h>
#include <gtest/gtest.h>

namespace markdown {
namespace {

TEST(MarkdownOptionsTest, NamedOptionsAreCmarksBits) {
  EXPECT_EQ(MarkdownOptions::default_.rawValue(), CMARK_OPT_DEFAULT);
  EXPECT_EQ(MarkdownOptions::sourcePos.rawValue(), CMARK_OPT_SOURCEPOS);
  EXPECT_EQ(MarkdownOptions::hardBreaks.rawValue(), CMARK_OPT_HARDBREAKS);
  EXPECT_EQ(MarkdownOptions::safe.rawValue(), CMARK_OPT_SAFE);
  EXPECT_EQ(MarkdownOptions::unsafe.rawValue(), CMARK_OPT_UNSAFE);
  EXPECT_EQ(MarkdownOptions::normalize.rawValue(), CMARK_OPT_NORMALIZE);
  EXPECT_EQ(MarkdownOptions::validateUTF8.rawValue(), CMARK_OPT_VALIDATE_UTF8);
  EXPECT_EQ(MarkdownOptions::smart.rawValue(), CMARK_OPT_SMART);
  EXPECT_EQ(MarkdownOptions::smartUnsafe, (MarkdownOptions{MarkdownOptions::smart, MarkdownOptions::unsafe}));
}

TEST(MarkdownOptionsTest, AListIsTheUnionOfItsElements) {
  const MarkdownOptions listed{MarkdownOptions::hardBreaks, MarkdownOptions::sourcePos, MarkdownOptions(16)};
  EXPECT_EQ(listed.rawValue(), 4 | 2 | 16);
  EXPECT_TRUE(MarkdownOptions{}.isEmpty());
  EXPECT_EQ(MarkdownOptions{}, MarkdownOptions::default_);
}

TEST(MarkdownOptionsTest, SetAlgebraWorksOnTheBits) {
  const MarkdownOptions a{MarkdownOptions::hardBreaks, MarkdownOptions::smart};
  const MarkdownOptions b{MarkdownOptions::smart, MarkdownOptions::unsafe};
  EXPECT_EQ(a.union_(b).rawValue(), 4 | 1024 | 131072);
  EXPECT_EQ(a.intersection(b), MarkdownOptions::smart);
  EXPECT_EQ(a.symmetricDifference(b),
            (MarkdownOptions{MarkdownOptions::hardBreaks, MarkdownOptions::unsafe}));
  EXPECT_EQ(a.subtracting(b), MarkdownOptions::hardBreaks);
  EXPECT_EQ(a | b, a.union_(b));
  EXPECT_EQ(a & b, a.intersection(b));
  EXPECT_EQ(a ^ b, a.symmetricDifference(b));
  EXPECT_EQ(a - b, a.subtracting(b));

  EXPECT_TRUE(a.contains(MarkdownOptions::smart));
  EXPECT_FALSE(a.contains(b));
  EXPECT_TRUE(MarkdownOptions::smart.isSubset(a));
  EXPECT_TRUE(MarkdownOptions::smartUnsafe.isSuperset(MarkdownOptions::unsafe));
  EXPECT_FALSE(a.isSubset(b));
  EXPECT_TRUE(MarkdownOptions::hardBreaks.isDisjoint(MarkdownOptions::smartUnsafe));
  EXPECT_FALSE(a.isDisjoint(b));
}

TEST(MarkdownOptionsTest, InsertRemoveAndUpdateReportWhatChanged) {
  MarkdownOptions options = MarkdownOptions::hardBreaks;

  const auto [inserted, member] = options.insert(MarkdownOptions::smart);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(member, MarkdownOptions::smart);
  const auto [insertedAgain, memberAgain] = options.insert(MarkdownOptions::smart);
  EXPECT_FALSE(insertedAgain);
  EXPECT_EQ(memberAgain, MarkdownOptions::smart);

  EXPECT_EQ(options.remove(MarkdownOptions::smartUnsafe), MarkdownOptions::smart);
  EXPECT_EQ(options, MarkdownOptions::hardBreaks);
  EXPECT_EQ(options.remove(MarkdownOptions::unsafe), std::nullopt);

  EXPECT_EQ(options.update(MarkdownOptions::unsafe), std::nullopt);
  EXPECT_EQ(options.update(MarkdownOptions::unsafe), MarkdownOptions::unsafe);
  EXPECT_EQ(options, (MarkdownOptions{MarkdownOptions::hardBreaks, MarkdownOptions::unsafe}));

  options -= MarkdownOptions::hardBreaks;
  options |= MarkdownOptions(16);
  EXPECT_EQ(options.rawValue(), 131072 | 16);
}

}  // namespace
}  // namespace markdown

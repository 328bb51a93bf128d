#include "Platform/Text/AttributedString.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Color.h"
#include "Platform/Text/ParagraphStyleRef.h"

namespace platform {
namespace {

const std::string kTag = "tag";

std::vector<std::pair<std::string, TextRange>> tagRuns(const AttributedString& text) {
  std::vector<std::pair<std::string, TextRange>> result;
  for (const AttributeRun& run : text.runsOf(kTag, {0, text.length()})) {
    std::string name = "-";
    if (const std::string* value = run.value ? run.value->get<std::string>() : nullptr) {
      name = *value;
    }
    result.emplace_back(std::move(name), run.range);
  }
  return result;
}

std::string tagAt(const AttributedString& text, std::size_t position) {
  std::string name = "-";
  if (const auto* value = text.attribute<std::string>(kTag, position)) {
    name = *value;
  }
  return name;
}

using Runs = std::vector<std::pair<std::string, TextRange>>;

TEST(AttributedStringTest, CountsInUTF16Units) {
  AttributedString text(u"a\U0001F600b");
  EXPECT_EQ(text.length(), 4U);
}

TEST(AttributedStringTest, AddKeepsOtherKeysAndSetReplacesAll) {
  AttributedString text(u"abcdef", {{AttributeName::foregroundColor, Color::redColor()}});
  text.addAttribute(kTag, std::string("x"), {2, 2});
  EXPECT_NE(text.attribute(AttributeName::foregroundColor, 2), nullptr);
  EXPECT_EQ(tagAt(text, 3), "x");
  text.setAttributes({{kTag, std::string("y")}}, {3, 3});
  EXPECT_EQ(text.attribute(AttributeName::foregroundColor, 3), nullptr);
  EXPECT_NE(text.attribute(AttributeName::foregroundColor, 2), nullptr);
  EXPECT_EQ(tagRuns(text), (Runs{{"-", {0, 2}}, {"x", {2, 1}}, {"y", {3, 3}}}));
}

TEST(AttributedStringTest, EqualNeighboursMergeIntoOneRun) {
  AttributedString text(u"abcdef");
  text.addAttribute(kTag, std::string("x"), {0, 2});
  text.addAttribute(kTag, std::string("x"), {4, 2});
  text.addAttribute(kTag, std::string("x"), {2, 2});
  TextRange effective;
  text.attributes(1, &effective);
  EXPECT_EQ(effective, (TextRange{0, 6}));
}

TEST(AttributedStringTest, LongestEffectiveRangeSpansRunsWithTheSameValue) {
  AttributedString text(u"abcdef", {{kTag, std::string("x")}});
  text.addAttribute(AttributeName::foregroundColor, Color::blueColor(), {2, 1});
  TextRange longest;
  text.attribute(kTag, 4, &longest);
  EXPECT_EQ(longest, (TextRange{0, 6}));
  text.attribute(AttributeName::foregroundColor, 0, &longest);
  EXPECT_EQ(longest, (TextRange{0, 2}));
}

TEST(AttributedStringTest, ValuesAreRecognisedByType) {
  AttributedString text(u"ab", {{kTag, 42}});
  EXPECT_EQ(text.attribute<std::string>(kTag, 0), nullptr);
  const int* value = text.attribute<int>(kTag, 0);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, 42);
}

TEST(AttributedStringTest, RunsOfAreClippedAndReportGaps) {
  AttributedString text(u"0123456789");
  text.addAttribute(kTag, std::string("x"), {3, 4});
  EXPECT_EQ(tagRuns(text), (Runs{{"-", {0, 3}}, {"x", {3, 4}}, {"-", {7, 3}}}));
  auto clipped = text.runsOf(kTag, {5, 4});
  ASSERT_EQ(clipped.size(), 2U);
  EXPECT_EQ(clipped[0].range, (TextRange{5, 2}));
  EXPECT_EQ(clipped[1].range, (TextRange{7, 2}));
  EXPECT_FALSE(clipped[1].value.has_value());
}

TEST(AttributedStringTest, EnumerationMayChangeTheString) {
  AttributedString text(u"abcdef");
  text.addAttribute(kTag, std::string("x"), {0, 3});
  int visits = 0;
  text.enumerateAttribute(kTag, {0, 6}, [&](const AttributeValue* value, TextRange range) {
    ++visits;
    if (value == nullptr) {
      text.addAttribute(kTag, std::string("gap"), range);
    }
  });
  EXPECT_EQ(visits, 2);
  EXPECT_EQ(tagRuns(text), (Runs{{"x", {0, 3}}, {"gap", {3, 3}}}));
}

TEST(AttributedStringTest, AppendInsertAndReplaceKeepAttributesInPlace) {
  AttributedString text(u"held", {{kTag, std::string("a")}});
  text.append(AttributedString(u"!", {{kTag, std::string("b")}}));
  text.insert(AttributedString(u">>", {{kTag, std::string("c")}}), 0);
  EXPECT_EQ(text.string(), u">>held!");
  EXPECT_EQ(tagRuns(text), (Runs{{"c", {0, 2}}, {"a", {2, 4}}, {"b", {6, 1}}}));
  text.replaceCharacters({3, 2}, AttributedString(u"EEEE", {{kTag, std::string("d")}}));
  EXPECT_EQ(text.string(), u">>hEEEEd!");
  EXPECT_EQ(tagRuns(text), (Runs{{"c", {0, 2}}, {"a", {2, 1}}, {"d", {3, 4}}, {"a", {7, 1}}, {"b", {8, 1}}}));
}

TEST(AttributedStringTest, PlainReplacementTakesTheAttributesAround) {
  AttributedString text(u"abc", {{kTag, std::string("a")}});
  text.append(AttributedString(u"def", {{kTag, std::string("b")}}));
  text.replaceCharacters({3, 1}, u"XY");
  EXPECT_EQ(tagRuns(text), (Runs{{"a", {0, 3}}, {"b", {3, 4}}}));
  text.replaceCharacters({3, 0}, u"Z");
  EXPECT_EQ(text.string(), u"abcZXYef");
  EXPECT_EQ(tagRuns(text), (Runs{{"a", {0, 4}}, {"b", {4, 4}}}));
  AttributedString empty;
  empty.replaceCharacters({0, 0}, u"new");
  EXPECT_TRUE(empty.attributes(0).empty());
}

TEST(AttributedStringTest, SubstringKeepsAttributesAndRebasesRanges) {
  AttributedString text(u"0123456789");
  text.addAttribute(kTag, std::string("x"), {4, 2});
  AttributedString piece = text.substring({3, 5});
  EXPECT_EQ(piece.string(), u"34567");
  EXPECT_EQ(tagRuns(piece), (Runs{{"-", {0, 1}}, {"x", {1, 2}}, {"-", {3, 2}}}));
}

TEST(AttributedStringTest, RangesOutsideTheTextThrowAndChangeNothing) {
  AttributedString text(u"abc");
  EXPECT_THROW(text.addAttribute(kTag, 1, {2, 2}), std::out_of_range);
  EXPECT_THROW(text.attributes(3), std::out_of_range);
  EXPECT_THROW(text.replaceCharacters({4, 0}, u"x"), std::out_of_range);
  EXPECT_EQ(text, AttributedString(u"abc"));
}

TEST(AttributedStringTest, ParagraphRangesIncludeTheirTerminators) {
  AttributedString text(u"one\u2029two\r\nthree\nfour\u2028still");
  EXPECT_EQ(text.paragraphRange({0, 1}), (TextRange{0, 4}));
  EXPECT_EQ(text.paragraphRange({3, 1}), (TextRange{0, 4}));
  EXPECT_EQ(text.paragraphRange({5, 0}), (TextRange{4, 5}));
  EXPECT_EQ(text.paragraphRange({8, 1}), (TextRange{4, 5}));  // the LF of CR LF
  EXPECT_EQ(text.paragraphRange({2, 8}), (TextRange{0, 15}));
  // U+2028 breaks a line, not a paragraph.
  EXPECT_EQ(text.paragraphRange({16, 1}), (TextRange{15, 10}));
  EXPECT_EQ(text.paragraphRange({text.length(), 0}), (TextRange{15, 10}));
}

TEST(AttributedStringTest, SharedParagraphStylesChangeEverywhere) {
  auto shared = std::make_shared<ParagraphStyle>();
  AttributedString text(u"ab", {{AttributeName::paragraphStyle, ParagraphStyleRef(shared)}});
  shared->headIndent = 12;
  const auto* stored = text.attribute<ParagraphStyleRef>(AttributeName::paragraphStyle, 1);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->shared()->headIndent, 12);
  auto copy = shared->copy();
  copy->headIndent = 3;
  EXPECT_EQ(shared->headIndent, 12);
}

}  // namespace
}  // namespace platform

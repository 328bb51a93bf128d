#include "Platform/Desktop/Simulated/SimulatedAccessibilityElement.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(AccessibilityElement, CountsTextPositionsInUTF16Units) {
  SimulatedAccessibilityElement field(100, "AXTextArea");
  field.setText(
      "a\xF0\x9F\x98\x80"
      "b");  // a, U+1F600 (two units), b
  const auto range = field.copyAttributeValue("AXSelectedTextRange");
  ASSERT_EQ(range.status, AXError::success);
  EXPECT_EQ(std::get<AXRange>(*range.value), (AXRange{4, 0}));

  ASSERT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{1, 2}), AXError::success);
  EXPECT_EQ(std::get<std::string>(*field.copyAttributeValue("AXSelectedText").value), "\xF0\x9F\x98\x80");
}

TEST(AccessibilityElement, RefusesARangeOutsideTheText) {
  SimulatedAccessibilityElement field(100, "AXTextField");
  field.setText("abc");
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{2, 2}), AXError::illegalArgument);
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", AXRange{-1, 1}), AXError::illegalArgument);
  EXPECT_EQ(field.setAttributeValue("AXSelectedTextRange", std::string("x")), AXError::illegalArgument);
  EXPECT_EQ(field.selection(), (AXRange{3, 0}));
}

TEST(AccessibilityElement, InsertingReplacesTheSelectionAndJoinsSurrogateHalves) {
  SimulatedAccessibilityElement field(100, "AXTextArea");
  field.setText("one two");
  field.setSelection({4, 3});
  field.insert(u"\xD83D");
  field.insert(u"\xDE00");
  EXPECT_EQ(field.text(), "one \xF0\x9F\x98\x80");
  EXPECT_EQ(field.selection(), (AXRange{6, 0}));
}

TEST(AccessibilityElement, AnswersStatusCodesForMissingAndFailingAttributes) {
  SimulatedAccessibilityElement group(100, "AXGroup");
  EXPECT_EQ(group.copyAttributeValue("AXValue").status, AXError::noValue);
  EXPECT_EQ(group.copyAttributeValue("AXParent").status, AXError::attributeUnsupported);
  EXPECT_EQ(group.setAttributeValue("AXTitle", std::string("x")), AXError::attributeUnsupported);
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status,
            AXError::parameterizedAttributeUnsupported);

  group.setBoundsForRanges(Rect{1, 2, 3, 4});
  EXPECT_EQ(std::get<Rect>(*group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).value),
            (Rect{1, 2, 3, 4}));
  group.injectFailure("AXBoundsForRange", AXError::cannotComplete);
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status,
            AXError::cannotComplete);
  group.clearFailure("AXBoundsForRange");
  EXPECT_EQ(group.copyParameterizedAttributeValue("AXBoundsForRange", AXRange{}).status, AXError::success);
  EXPECT_EQ(std::get<std::string>(*group.copyAttributeValue("AXRole").value), "AXGroup");
}

TEST(AccessibilityElement, WritesOnlySettableAttributes) {
  SimulatedAccessibilityElement application(100, "AXApplication");
  application.makeSettable("AXManualAccessibility");
  EXPECT_EQ(application.setAttributeValue("AXManualAccessibility", true), AXError::success);
  EXPECT_TRUE(std::get<bool>(*application.copyAttributeValue("AXManualAccessibility").value));
  EXPECT_EQ(axErrorName(AXError::cannotComplete), "cannotComplete");
}

}  // namespace
}  // namespace platform

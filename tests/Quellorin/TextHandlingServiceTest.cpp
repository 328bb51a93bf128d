#include "Quellorin/Services/TextHandlingService.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "DesktopFixture.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Unicode.h"

namespace quellorin {
namespace {

using platform::AXRange;
using platform::Pasteboard;
using platform::Rect;

class TextHandlingServiceTest : public testsupport::DesktopFixture {
 protected:
  std::optional<CaretLine> lineAt(const std::string& text, std::int64_t caret) {
    field->setText(text);
    field->setSelection({caret, 0});
    std::optional<CaretLine> line;
    bool done = false;
    service->selectCurrentLine([&](std::optional<CaretLine> found) {
      line = std::move(found);
      done = true;
    });
    settle(0);
    EXPECT_TRUE(done);
    return line;
  }

  SelectedText capture() {
    std::optional<SelectedText> result;
    service->getSelectedText([&](SelectedText selected) { result = std::move(selected); });
    settle(0.33);
    EXPECT_TRUE(result) << "the capture ends after the copy command's 130 ms and the 200 ms wait";
    return result.value_or(SelectedText{});
  }

  std::shared_ptr<TextHandlingService> service = std::make_shared<TextHandlingService>();
};

TEST_F(TextHandlingServiceTest, SelectsTheLineAtTheCaret) {
  // Two lines of two characters: the caret at 2 ends the first, at 3 starts the second.
  auto first = lineAt("ab\ncd", 2);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->text, "ab");
  EXPECT_EQ(field->selection(), (AXRange{0, 2}));

  auto second = lineAt("ab\ncd", 3);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->text, "cd");
  EXPECT_EQ(field->selection(), (AXRange{3, 2}));

  field->setProvider("AXSelectedTextRange", [] {
    return platform::AXResult{platform::AXError::success, AXRange{6, 0}};
  });
  EXPECT_FALSE(lineAt("ab\ncd", 6)) << "a caret beyond the text selects nothing";
  EXPECT_EQ(field->selection(), (AXRange{5, 0}));
}

TEST_F(TextHandlingServiceTest, LineEdgesEmptyTextAndCarriageReturns) {
  auto afterLineFeed = lineAt("ab\n", 3);
  ASSERT_TRUE(afterLineFeed);
  EXPECT_EQ(afterLineFeed->text, "");
  EXPECT_EQ(afterLineFeed->range, (AXRange{3, 0}));

  auto empty = lineAt("", 0);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->range, (AXRange{0, 0}));

  auto windows = lineAt("one\r\ntwo", 1);
  ASSERT_TRUE(windows);
  EXPECT_EQ(windows->text, "one\r");
  EXPECT_EQ(windows->range, (AXRange{0, 4}));
}

TEST_F(TextHandlingServiceTest, CountsLinePositionsInUTF16Units) {
  auto line = lineAt("\xF0\x9F\x98\x80x\nsecond", 3);  // U+1F600 is two units
  ASSERT_TRUE(line);
  EXPECT_EQ(line->text, "\xF0\x9F\x98\x80x");
  EXPECT_EQ(line->range, (AXRange{0, 3}));
  EXPECT_EQ(lineAt("\xF0\x9F\x98\x80x\nsecond", 4)->text, "second");
}

TEST_F(TextHandlingServiceTest, RetriesTheFocusedElementAfterSwitchingOnManualAccessibility) {
  desktop().accessibility->requireManualAccessibility(editorPid);
  field->setText("hello");
  std::optional<CaretLine> line;
  bool done = false;
  service->selectCurrentLine([&](std::optional<CaretLine> found) {
    line = std::move(found);
    done = true;
  });
  settle(0.49);
  EXPECT_FALSE(done) << "the second read comes 0.5 s after the first";
  settle(0.01);
  ASSERT_TRUE(done);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->text, "hello");
  EXPECT_EQ(service->originalFocusedElement(), field);
}

TEST_F(TextHandlingServiceTest, GivesUpAfterFourReads) {
  platform::LogCapture log;
  field->injectFailure("AXRole", platform::AXError::cannotComplete);
  desktop().accessibility->setFocusedElement(editorPid, nullptr);
  bool done = false;
  service->fetchFocusedElement(0, [&](TextHandlingService::Element element) {
    EXPECT_EQ(element, nullptr);
    done = true;
  });
  settle(1.49);
  EXPECT_FALSE(done);
  settle(0.01);
  EXPECT_TRUE(done);
  EXPECT_TRUE(log.contains("已达到最大递归深度,无法获取焦点元素"));
  std::size_t failedReads = 0;
  for (auto text = log.text(); text.find("无法获取到焦点元素") != std::string::npos;
       text.erase(0, text.find("无法获取到焦点元素") + 1)) {
    ++failedReads;
  }
  EXPECT_EQ(failedReads, 4u);
  EXPECT_EQ(service->originalFocusedElement(), nullptr);
}

TEST_F(TextHandlingServiceTest, ACaptureWhoseServiceIsGoneEndsWithTheEmptyAnswer) {
  // The first read of the focused element fails, so each capture has a step 0.5 s later.
  desktop().accessibility->requireManualAccessibility(editorPid);
  field->setText("hello");
  using Answer = std::function<void(bool empty)>;
  const struct {
    const char* name;
    std::function<void(TextHandlingService&, Answer)> start;
  } cases[] = {
      {"fetchFocusedElement",
       [](TextHandlingService& s, Answer answer) {
         s.fetchFocusedElement(0, [answer](TextHandlingService::Element element) { answer(!element); });
       }},
      {"selectCurrentLine",
       [](TextHandlingService& s, Answer answer) {
         s.selectCurrentLine([answer](std::optional<CaretLine> line) { answer(!line); });
       }},
      {"getSelectedText",
       [](TextHandlingService& s, Answer answer) {
         s.getSelectedText([answer](SelectedText selected) { answer(!selected.text && !selected.rect); });
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    desktop().accessibility->applicationElement(editorPid)->setAttributeValue("AXManualAccessibility", false);
    auto owner = std::make_shared<TextHandlingService>();
    std::optional<bool> empty;
    c.start(*owner, [&empty](bool answer) { empty = answer; });
    EXPECT_FALSE(empty);
    owner.reset();
    settle(2);
    EXPECT_EQ(empty, std::optional<bool>(true));
  }
}

TEST_F(TextHandlingServiceTest, ZeroSizedBoundsClimbToTheFirstSizedAncestor) {
  auto parent = std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXScrollArea");
  auto grandparent = std::make_shared<platform::SimulatedAccessibilityElement>(editorPid, "AXGroup");
  field->setAttribute("AXParent", parent);
  parent->setAttribute("AXParent", grandparent);
  field->setBoundsForRanges(Rect{100, 100, 0, 18});
  parent->setBoundsForRanges(Rect{90, 90, 0, 40});
  grandparent->setBoundsForRanges(Rect{80, 200, 300, 50});
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{80, 650, 300, 50}));

  grandparent->setBoundsForRanges(std::nullopt);
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{90, 770, 0, 40}))
      << "the walk ends at the last ancestor that answered, flipped";
  parent->setBoundsForRanges(std::nullopt);
  EXPECT_EQ(service->boundsForRange(field, {0, 0}), (Rect{100, 782, 0, 18}));
}

TEST_F(TextHandlingServiceTest, FlipsWithThePrimaryScreensHeight) {
  desktop().screens->setScreens({{0, 0, 1440, 900}, {1440, 0, 2560, 1440}});
  EXPECT_EQ(TextHandlingService::toCocoaCoordinates({2000, 300, 50, 20}), (Rect{2000, 580, 50, 20}));
  desktop().screens->setScreens({});
  EXPECT_EQ(TextHandlingService::toCocoaCoordinates({10, 300, 50, 20}), (Rect{10, -320, 50, 20}));
}

TEST_F(TextHandlingServiceTest, CapturesTheSelectionWithItsRectangleAndRestoresEveryPasteboardItem) {
  field->setText("say hello there");
  field->setSelection({4, 5});
  field->setBoundsForRanges(Rect{300, 200, 40, 18});
  desktop().pasteboard->writeObjects(
      {{{Pasteboard::pngType, "\x89PNG"}, {Pasteboard::fileURLType, "file:///a.png"}},
       {{Pasteboard::plainTextType, "**old**"}, {Pasteboard::rtfType, "{\\rtf1 old}"}}});
  const auto before = desktop().pasteboard->pasteboardItems();

  const auto selected = capture();
  EXPECT_EQ(selected.text, "hello");
  EXPECT_EQ(selected.rect, (Rect{300, 682, 40, 18}));
  EXPECT_EQ(desktop().pasteboard->pasteboardItems(), before);
  EXPECT_EQ(service->originalFocusedElement(), field);
}

TEST_F(TextHandlingServiceTest, EmptyPasteboardKeepsTheCopiedSelection) {
  field->setText("abc");
  field->setSelection({0, 3});
  EXPECT_EQ(capture().text, "abc");
  EXPECT_EQ(desktop().pasteboard->string(), "abc");
}

TEST_F(TextHandlingServiceTest, NoSelectionCapturesNothingAndLeavesThePasteboardAsItWas) {
  field->setText("abc");
  desktop().pasteboard->writeObjects({{{Pasteboard::plainTextType, "previous"}}});
  const auto selected = capture();
  EXPECT_FALSE(selected.text);
  EXPECT_EQ(desktop().pasteboard->pasteboardItems(),
            (std::vector<platform::PasteboardItem>{{{Pasteboard::plainTextType, "previous"}}}));
}

TEST_F(TextHandlingServiceTest, PostsNoCopyCommandWithoutAnEventSource) {
  field->setText("abc");
  field->setSelection({0, 3});
  desktop().eventSystem->failEventSourceCreation(true);
  EXPECT_FALSE(capture().text);
  EXPECT_TRUE(desktop().eventSystem->postedEvents().empty());
}

TEST_F(TextHandlingServiceTest, TheCopyCommandIsCommandC) {
  field->setText("abc");
  capture();
  const auto posted = desktop().eventSystem->postedEvents();
  ASSERT_EQ(posted.size(), 4u);
  EXPECT_EQ(posted[0].keyCode, platform::keycode::command);
  EXPECT_EQ(posted[1].keyCode, platform::keycode::c);
  EXPECT_EQ(posted[1].modifierFlags, platform::commandKeyFlag);
  EXPECT_EQ(posted[2].type, platform::EventType::keyUp);
  EXPECT_EQ(posted[2].keyCode, platform::keycode::c);
  EXPECT_EQ(posted[3].keyCode, platform::keycode::command);
}

TEST_F(TextHandlingServiceTest, TypesOneKeyPressPerUTF16Unit) {
  field->setText("x");
  EXPECT_EQ(service->typeText("a\xF0\x9F\x98\x80"), 3u);
  const auto posted = desktop().eventSystem->postedEvents();
  ASSERT_EQ(posted.size(), 6u);
  EXPECT_EQ(posted[2].characters, u"\xD83D");
  EXPECT_EQ(posted[2].type, platform::EventType::keyDown);
  EXPECT_EQ(posted[4].characters, u"\xDE00");
  EXPECT_EQ(field->text(), "xa\xF0\x9F\x98\x80");

  EXPECT_EQ(service->typeText(""), 0u);
  desktop().eventSystem->failEventSourceCreation(true);
  EXPECT_EQ(service->typeText("b"), 0u);
  EXPECT_EQ(desktop().eventSystem->postedEvents().size(), 6u);
}

TEST_F(TextHandlingServiceTest, CopiesMarkdownAsTextAndHTML) {
  service->copyToPasteboard("a **bold** word\nnext");
  const auto items = desktop().pasteboard->pasteboardItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].at(Pasteboard::plainTextType), "a **bold** word\nnext");
  const auto& bytes = items[0].at(Pasteboard::htmlType);
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), bytes.size());
  ASSERT_EQ(units.front(), u'\uFEFF');
  const auto html = platform::unicode::toUTF8(std::u16string_view(units).substr(1));
  EXPECT_NE(html.find("<strong>bold</strong>"), std::string::npos) << html;
  EXPECT_NE(html.find("<br />"), std::string::npos) << html;
}

}  // namespace
}  // namespace quellorin

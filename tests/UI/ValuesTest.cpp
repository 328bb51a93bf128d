#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UI/Color.h"
#include "UI/KeyEvent.h"
#include "UI/Layout.h"
#include "UI/Symbols.h"

namespace {

using ui::KeyboardShortcut;
using ui::KeyEvent;
namespace modifier = ui::modifier;

TEST(KeyboardShortcutTest, MatchesItsKeyWithExactlyItsModifiers) {
  const std::uint64_t capsLock = 1ULL << 16;
  struct Case {
    KeyboardShortcut shortcut;
    KeyEvent event;
    bool matches;
  };
  const std::vector<Case> cases = {
      {KeyboardShortcut::character("1"), KeyEvent::character("1", modifier::command), true},
      {KeyboardShortcut::character("1"), KeyEvent::character("1"), false},
      {KeyboardShortcut::character("1"), KeyEvent::character("1", modifier::command | modifier::shift),
       false},
      {KeyboardShortcut::character("K", modifier::command | modifier::shift),
       KeyEvent::character("k", modifier::command | modifier::shift), true},
      {KeyboardShortcut::character("1"), KeyEvent::character("1", modifier::command | capsLock), true},
      {KeyboardShortcut::code(ui::keycode::escape), KeyEvent::code(ui::keycode::escape, modifier::command),
       true},
      {KeyboardShortcut::code(ui::keycode::escape), KeyEvent::code(ui::keycode::escape), false},
      {KeyboardShortcut::code(ui::keycode::leftArrow),
       KeyEvent::code(ui::keycode::rightArrow, modifier::command), false},
      {KeyboardShortcut::character(""), KeyEvent::code(ui::keycode::leftArrow, modifier::command), false},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(cases[i].shortcut.matches(cases[i].event), cases[i].matches) << "case " << i;
  EXPECT_EQ(KeyboardShortcut::code(ui::keycode::rightArrow).displayString(), "⌘→");
  EXPECT_EQ(KeyboardShortcut::character("k", modifier::command | modifier::shift).displayString(), "⇧⌘k");
}

TEST(ColorTest, HexTextsAndOpacities) {
  struct Case {
    const char* text;
    platform::Color expected;
  };
  for (const Case& c :
       {Case{"#6B39F4", {107 / 255.0, 57 / 255.0, 244 / 255.0, 1}}, Case{"ffffff80", {1, 1, 1, 128 / 255.0}},
        Case{"#12345", {0, 0, 0, 1}}, Case{"#GG0000", {0, 0, 0, 1}}})
    EXPECT_EQ(ui::Color::hex(c.text).resolved(ui::ColorScheme::light), c.expected) << c.text;
  EXPECT_DOUBLE_EQ(ui::Color::white().opacity(0.1).resolved(ui::ColorScheme::dark).alpha, 0.1);
  EXPECT_DOUBLE_EQ(ui::Color::named("contentBgColor").opacity(0.5).opacity(0.5).opacityFactor(), 0.25);
  EXPECT_NE(ui::Color::named("fontColor").resolved(ui::ColorScheme::light),
            ui::Color::named("fontColor").resolved(ui::ColorScheme::dark));
}

TEST(SymbolsTest, EverySymbolTheViewsNameHasADrawing) {
  for (const char* name : {"sparkles", "person.circle", "checkmark", "wand.and.stars", "rectangle.stack",
                           "book", "chevron.left", "chevron.right", "exclamationmark.triangle",
                           "arrow.right.circle.fill", "gearshape.fill", "pencil", "keyboard", "paintpalette",
                           "info.circle", "trash", "doc.on.doc", "arrow.clockwise", "square.and.arrow.down"})
    EXPECT_TRUE(ui::isKnownSymbol(name)) << name;
  EXPECT_FALSE(ui::isKnownSymbol("no.such.symbol"));
  EXPECT_NE(ui::symbolSVG("no.such.symbol").find("stroke-dasharray"), std::string::npos);
}

TEST(LayoutTest, AnEditorGrowsWithItsLinesUpToItsFrame) {
  auto editorHeight = [](std::string text) {
    auto editor = ui::TextEditor("e", ui::Binding<std::string>::constant(std::move(text)));
    editor.frame(ui::Frame{{}, {}, {}, {}, 16, 80});
    return ui::measure(editor, 300).height;
  };
  double one = editorHeight("a");
  EXPECT_GE(one, 16);
  EXPECT_GT(editorHeight("a\nb"), one);
  EXPECT_EQ(editorHeight("1\n2\n3\n4\n5\n6\n7\n8\n9"), 80);
}

}  // namespace

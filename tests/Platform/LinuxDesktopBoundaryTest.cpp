// The Linux desktop's conversions at its boundary: keys, characters and coordinates. They need no
// display.

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "Platform/Desktop/Linux/KeyTranslation.h"
#include "Platform/Desktop/Linux/LinuxScreens.h"

namespace platform {
namespace {

using namespace keytranslation;

TEST(LinuxKeyTranslation, KeysymsMapToTheDesktopsVirtualKeyCodes) {
  struct Row {
    unsigned long keysym;
    std::optional<std::uint16_t> code;
  };
  for (const auto& [keysym, code] : std::initializer_list<Row>{{XK_a, 0},
                                                               {XK_A, 0},
                                                               {XK_c, 8},
                                                               {XK_space, 49},
                                                               {XK_Return, 36},
                                                               {XK_Tab, 48},
                                                               {XK_grave, 50},
                                                               {XK_Left, 123},
                                                               {XK_Control_L, 59},
                                                               {XK_Super_L, 55},
                                                               {XK_Greek_alpha, std::nullopt}}) {
    EXPECT_EQ(virtualKeyCode(keysym), code) << keysym;
  }
}

TEST(LinuxKeyTranslation, TheCommandKeyIsPostedAsControlSoThatCopyIsControlC) {
  EXPECT_EQ(keysymForVirtualKeyCode(54), XK_Control_L);
  EXPECT_EQ(keysymForVirtualKeyCode(8), XK_c);
  EXPECT_EQ(keysymForVirtualKeyCode(49), XK_space);
  EXPECT_EQ(keysymForVirtualKeyCode(10), std::nullopt) << "no key has that code";
}

TEST(LinuxKeyTranslation, ModifierKeysGiveTheirFlagsAndOtherKeysNone) {
  EXPECT_EQ(modifierFlag(XK_Shift_L), 0x20000u);
  EXPECT_EQ(modifierFlag(XK_Shift_R), 0x20000u);
  EXPECT_EQ(modifierFlag(XK_Control_R), 0x40000u);
  EXPECT_EQ(modifierFlag(XK_Alt_L), 0x80000u);
  EXPECT_EQ(modifierFlag(XK_Super_R), 0x100000u);
  EXPECT_EQ(modifierFlag(XK_space), 0u);
  EXPECT_EQ(modifierFlag(XK_Caps_Lock), 0u) << "caps lock names no combination";
}

TEST(LinuxKeyTranslation, EveryCharacterHasAKeysymAndComesBackAsTheSameUnits) {
  struct Row {
    char32_t codePoint;
    unsigned long keysym;
    std::u16string units;
  };
  for (const auto& [codePoint, keysym, units] : std::initializer_list<Row>{{U'a', XK_a, u"a"},
                                                                           {U'~', XK_asciitilde, u"~"},
                                                                           {U'ü', XK_udiaeresis, u"ü"},
                                                                           {U'你', 0x01004F60, u"你"},
                                                                           {U'✓', 0x01002713, u"✓"},
                                                                           {U'🌍', 0x0101F30D, u"🌍"}}) {
    EXPECT_EQ(keysymForCodePoint(codePoint), keysym) << static_cast<unsigned>(codePoint);
    EXPECT_EQ(charactersOfKeysym(keysym), units) << static_cast<unsigned>(codePoint);
  }
  EXPECT_EQ(keysymForCodePoint(U'\n'), XK_Return);
  EXPECT_EQ(keysymForCodePoint(U'\t'), XK_Tab);
  EXPECT_EQ(charactersOfKeysym(XK_Shift_L), u"") << "a modifier types nothing";
}

TEST(LinuxScreens, X11RectanglesTurnIntoScreenCoordinatesFromThePrimaryMonitorsBottomLeft) {
  const Rect primary{0, 0, 1280, 1024};
  struct Row {
    Rect x11;
    Rect screen;
  };
  for (const auto& [x11, screen] : std::initializer_list<Row>{
           {{136, 120, 37, 17}, {136, 887, 37, 17}},
           {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
           {{1280, 0, 1920, 1080}, {1280, -56, 1920, 1080}},  // a taller monitor to the right
           {{0, 1024, 800, 600}, {0, -600, 800, 600}},        // a monitor below
           {{5, 1000, 0, 0}, {5, 24, 0, 0}},                  // a point
       }) {
    EXPECT_EQ(fromX11Coordinates(x11, primary), screen);
  }
  // A primary monitor that does not start at the origin of the X11 screen.
  EXPECT_EQ(fromX11Coordinates({1920, 100, 10, 10}, {1920, 0, 1280, 1024}), (Rect{0, 914, 10, 10}));
}

}  // namespace
}  // namespace platform

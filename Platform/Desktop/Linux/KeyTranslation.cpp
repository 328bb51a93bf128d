#include "Platform/Desktop/Linux/KeyTranslation.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <utility>

#include "Platform/Core/Unicode.h"

namespace platform::keytranslation {
namespace {

// The shift, control, option and command bits of the desktop's modifier flags.
constexpr std::uint64_t shiftFlag = 0x20000;
constexpr std::uint64_t controlFlag = 0x40000;
constexpr std::uint64_t optionFlag = 0x80000;
constexpr std::uint64_t commandFlag = 0x100000;

// Virtual key codes by keysym; the first entry of a code is the keysym posted for it.
constexpr std::pair<std::uint16_t, unsigned long> kKeys[] = {
    {0, XK_a},
    {1, XK_s},
    {2, XK_d},
    {3, XK_f},
    {4, XK_h},
    {5, XK_g},
    {6, XK_z},
    {7, XK_x},
    {8, XK_c},
    {9, XK_v},
    {11, XK_b},
    {12, XK_q},
    {13, XK_w},
    {14, XK_e},
    {15, XK_r},
    {16, XK_y},
    {17, XK_t},
    {18, XK_1},
    {19, XK_2},
    {20, XK_3},
    {21, XK_4},
    {22, XK_6},
    {23, XK_5},
    {24, XK_equal},
    {25, XK_9},
    {26, XK_7},
    {27, XK_minus},
    {28, XK_8},
    {29, XK_0},
    {30, XK_bracketright},
    {31, XK_o},
    {32, XK_u},
    {33, XK_bracketleft},
    {34, XK_i},
    {35, XK_p},
    {36, XK_Return},
    {37, XK_l},
    {38, XK_j},
    {39, XK_apostrophe},
    {40, XK_k},
    {41, XK_semicolon},
    {42, XK_backslash},
    {43, XK_comma},
    {44, XK_slash},
    {45, XK_n},
    {46, XK_m},
    {47, XK_period},
    {50, XK_grave},
    {49, XK_space},
    {48, XK_Tab},
    {51, XK_BackSpace},
    {53, XK_Escape},
    // The command key is the key a user of this desktop holds for copy and paste.
    {54, XK_Control_L},
    {55, XK_Super_L},
    {54, XK_Super_R},
    {56, XK_Shift_L},
    {60, XK_Shift_R},
    {58, XK_Alt_L},
    {61, XK_Alt_R},
    {59, XK_Control_R},
    {57, XK_Caps_Lock},
    {96, XK_F5},
    {97, XK_F6},
    {98, XK_F7},
    {99, XK_F3},
    {100, XK_F8},
    {101, XK_F9},
    {103, XK_F11},
    {109, XK_F10},
    {111, XK_F12},
    {118, XK_F4},
    {120, XK_F2},
    {122, XK_F1},
    {123, XK_Left},
    {124, XK_Right},
    {125, XK_Down},
    {126, XK_Up},
    {115, XK_Home},
    {119, XK_End},
    {116, XK_Page_Up},
    {121, XK_Page_Down},
    {117, XK_Delete},
};

}  // namespace

std::optional<std::uint16_t> virtualKeyCode(unsigned long keysym) {
  if (keysym >= XK_A && keysym <= XK_Z) keysym += XK_a - XK_A;
  // A user's Super key is the command key; Control is reported as control, not command.
  if (keysym == XK_Control_L) return 59;
  for (const auto& [code, sym] : kKeys) {
    if (sym == keysym) return code;
  }
  return std::nullopt;
}

std::optional<unsigned long> keysymForVirtualKeyCode(std::uint16_t keyCode) {
  for (const auto& [code, sym] : kKeys) {
    if (code == keyCode) return sym;
  }
  return std::nullopt;
}

std::uint64_t modifierFlag(unsigned long keysym) {
  switch (keysym) {
    case XK_Shift_L:
    case XK_Shift_R:
      return shiftFlag;
    case XK_Control_L:
    case XK_Control_R:
      return controlFlag;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
      return optionFlag;
    case XK_Super_L:
    case XK_Super_R:
      return commandFlag;
    default:
      return 0;
  }
}

unsigned long keysymForCodePoint(char32_t codePoint) {
  if (codePoint == U'\n' || codePoint == U'\r') return XK_Return;
  if (codePoint == U'\t') return XK_Tab;
  // Latin-1 keysyms are the code points themselves; every other character has its Unicode keysym.
  if ((codePoint >= 0x20 && codePoint <= 0x7e) || (codePoint >= 0xa0 && codePoint <= 0xff)) return codePoint;
  return 0x01000000UL | codePoint;
}

std::u16string charactersOfKeysym(unsigned long keysym) {
  char32_t codePoint = 0;
  if (keysym == XK_Return) {
    codePoint = U'\r';
  } else if (keysym == XK_Tab) {
    codePoint = U'\t';
  } else if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
    codePoint = static_cast<char32_t>(keysym);
  } else if ((keysym & 0xff000000UL) == 0x01000000UL) {
    codePoint = static_cast<char32_t>(keysym & 0x00ffffffUL);
  } else {
    return {};
  }
  return unicode::toUTF16(unicode::toUTF8(codePoint));
}

}  // namespace platform::keytranslation

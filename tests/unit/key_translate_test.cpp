#include "gfx/key_translate.hpp"

#include <gtest/gtest.h>

#include "runtime/virtual_key.hpp"

namespace {

constexpr uint32_t ALT = LEFT_ALT_PRESSED;
constexpr uint32_t CTRL = LEFT_CTRL_PRESSED;
constexpr uint32_t SHIFT = SHIFT_PRESSED;
constexpr uint32_t ENH = ENHANCED_KEY;

// A US keyboard's own characters: letters upper case, digits, a few keys with characters.
int us_own_character(int vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  switch (vk) {
    case VK_BACK:
      return 8;
    case VK_TAB:
      return 9;
    case VK_RETURN:
      return 13;
    case VK_ESCAPE:
      return 27;
    case VK_NUMPAD8:
      return '8';
    case VK_DIVIDE:
      return '/';
    case VK_OEM_4:
      return '[';
    default:
      return 0;
  }
}

struct Case {
  const char* name;
  int character;
  int scan_code;
  int virtual_key;
  uint32_t state;
  int32_t expected;
};

constexpr Case kCases[] = {
    {"F1", 0, 59, VK_F1, 0, 15359},
    {"Shift+F1", 0, 59, VK_F1, SHIFT, 21759},
    {"Ctrl+F1", 0, 59, VK_F1, CTRL, 24319},
    {"Alt+F1", 0, 59, VK_F1, ALT, 26879},
    {"Ctrl+Alt+F1 takes the Alt column", 0, 59, VK_F1, CTRL | ALT, 26879},
    {"Alt+F4 is the close code", 0, 62, VK_F4, ALT, 27647},
    {"right Alt+F4", 0, 62, VK_F4, RIGHT_ALT_PRESSED, 27647},
    {"F11", 0, 87, VK_F11, 0, 34303},
    {"Shift+F11", 0, 87, VK_F11, SHIFT, 34815},
    {"right Ctrl+F12", 0, 88, VK_F12, RIGHT_CTRL_PRESSED, 35583},
    {"Alt+F12", 0, 88, VK_F12, ALT, 36095},
    {"Up", 0, 72, VK_UP, ENH, 18687},
    {"Shift+Up", 0, 72, VK_UP, ENH | SHIFT, 18687},
    {"Alt+Up", 0, 72, VK_UP, ENH | ALT, 39167},
    {"Down", 0, 80, VK_DOWN, ENH, 20735},
    {"Left", 0, 75, VK_LEFT, ENH, 19455},
    {"Ctrl+Left", 0, 75, VK_LEFT, ENH | CTRL, 29695},
    {"Right", 0, 77, VK_RIGHT, ENH, 19967},
    {"Home", 0, 71, VK_HOME, ENH, 18431},
    {"End", 0, 79, VK_END, ENH, 20479},
    {"Ctrl+Page Up", 0, 73, VK_PRIOR, ENH | CTRL, 34047},
    {"Insert", 0, 82, VK_INSERT, ENH, 21247},
    {"Ctrl+Insert", 0, 82, VK_INSERT, ENH | CTRL, 37631},
    {"Delete", 0, 83, VK_DELETE, ENH, 21503},
    {"Alt+Delete", 0, 83, VK_DELETE, ENH | ALT, 41983},
    {"keypad 8, Num Lock off", 0, 72, VK_UP, 0, 18687},
    {"keypad 8, Num Lock on", '8', 72, VK_NUMPAD8, 0, 56},
    {"Ctrl+keypad 8 typing its own character", '8', 72, VK_NUMPAD8, CTRL, 36351},
    {"keypad 5, Num Lock off", 0, 76, VK_CLEAR, 0, 19711},
    {"Ctrl+keypad 5", 0, 76, VK_CLEAR, CTRL, 36863},
    {"Alt+keypad 5", 0, 76, VK_CLEAR, ALT, 19711},
    {"Shift+keypad 8 has no Shift entry", 0, 72, VK_UP, SHIFT, -1},
    {"Tab", 9, 15, VK_TAB, 0, 9},
    {"Shift+Tab", 9, 15, VK_TAB, SHIFT, 4095},
    {"Ctrl+Tab", 9, 15, VK_TAB, CTRL, 38143},
    {"Enter", 13, 28, VK_RETURN, 0, 13},
    {"Ctrl+Enter", 10, 28, VK_RETURN, CTRL, 10},
    {"Alt+Enter", 13, 28, VK_RETURN, ALT, 7423},
    {"keypad Enter", 13, 28, VK_RETURN, ENH, 13},
    {"Ctrl+keypad Enter", 10, 28, VK_RETURN, ENH | CTRL, 10},
    {"keypad Enter without a character", 0, 28, VK_RETURN, ENH, 13},
    {"Ctrl+keypad Enter without a character", 0, 28, VK_RETURN, ENH | CTRL, 10},
    {"Alt+keypad Enter without a character", 0, 28, VK_RETURN, ENH | ALT, 42751},
    {"keypad slash", '/', 53, VK_DIVIDE, ENH, 47},
    {"Shift+keypad slash without a character", 0, 53, VK_DIVIDE, ENH | SHIFT, 63},
    {"Ctrl+keypad slash without a character", 0, 53, VK_DIVIDE, ENH | CTRL, 38399},
    {"Esc", 27, 1, VK_ESCAPE, 0, 27},
    {"Alt+Esc", 27, 1, VK_ESCAPE, ALT, 511},
    {"Backspace", 8, 14, VK_BACK, 0, 8},
    {"Alt+Backspace", 8, 14, VK_BACK, ALT, 57599},
    {"a", 'a', 30, 'A', 0, 97},
    {"capital A", 'A', 30, 'A', SHIFT, 65},
    {"Alt+a", 'a', 30, 'A', ALT, 7935},
    {"Alt+Shift+A", 'A', 30, 'A', ALT | SHIFT, 7935},
    {"Alt+A typing no character", 0, 30, 'A', ALT, -1},
    {"Alt with a letter of another layout", 0xE9, 30, 'A', ALT, 0xE9},
    {"Ctrl+A", 1, 30, 'A', CTRL, 1},
    {"Alt+1", '1', 2, '1', ALT, 30975},
    {"Alt+Shift+1 types !, not its own character", '!', 2, '1', ALT | SHIFT, 33},
    {"Alt+Shift+[", '{', 26, VK_OEM_4, ALT | SHIFT, 123},
    {"Alt+[", '[', 26, VK_OEM_4, ALT, 6911},
    {"Ctrl+2 typing no character", 0, 3, '2', CTRL, -1},
    {"a character from code page 437", 130, 0, 0, 0, 130},
    {"only the low byte of the character counts", 0x141, 30, 'A', SHIFT, 65},
    {"Shift alone", 0, 42, VK_SHIFT, SHIFT, -1},
    {"right Ctrl alone", 0, 29, VK_CONTROL, ENH | RIGHT_CTRL_PRESSED, -1},
    {"scan code beyond the table, no character", 0, 100, 0, 0, -1},
    {"scan code beyond the table, a character", 'x', 100, 0, ALT, 'x'},
    {"enhanced key missing from its table", 0, 29, 0, ENH, -1},
};

TEST(KeyTranslate, TranslatesEachKeyAndModifierCombination) {
  for (const Case& c : kCases) {
    EXPECT_EQ(translate_key(c.character, c.scan_code, c.virtual_key, c.state, us_own_character),
              c.expected)
        << c.name;
  }
}

// Every scan code and state gives no key, a character or an extended code with k from 1 to 255.
TEST(KeyTranslate, ResultsAreAlwaysKeyCodes) {
  for (int scan = 0; scan < 100; ++scan) {
    for (uint32_t state = 0; state < 0x20; ++state) {
      for (const uint32_t enhanced : {0u, ENH}) {
        for (const int character : {0, 9, 97, 65, 200}) {
          const int32_t code =
              translate_key(character, scan, 'A', state | enhanced, us_own_character);
          const bool extended = code > 255 && (code - 255) % 256 == 0 && code <= 255 + 256 * 255;
          EXPECT_TRUE(code >= -1 && (code <= 255 || extended))
              << "scan " << scan << " state " << state << " code " << code;
        }
      }
    }
  }
}

}  // namespace

#include "runtime/key_translate.hpp"

#include <array>
#include <cstddef>

#include "runtime/key_code.hpp"

namespace {

// Table entries below 256 never give a code; an extended entry holds its code byte k in the
// high byte.
constexpr uint16_t ext(int code_byte) { return static_cast<uint16_t>(code_byte << 8); }

enum Column { NORMAL, SHIFT, CTRL, ALT };

using KeyRow = std::array<uint16_t, 4>;  // indexed by Column

// Column picked by the modifiers: Alt before Ctrl before Shift.
Column modifier_column(uint32_t state) {
  if (state & (key_state::RIGHT_ALT | key_state::LEFT_ALT)) return ALT;
  if (state & (key_state::RIGHT_CTRL | key_state::LEFT_CTRL)) return CTRL;
  if (state & key_state::SHIFT) return SHIFT;
  return NORMAL;
}

int swap_case(int c) {
  if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
  if (c >= 'a' && c <= 'z') return c - ('a' - 'A');
  return c;
}

int32_t entry_code(uint16_t entry) { return extended_key_code(entry >> 8); }

// Entries by scan code, columns normal, Shift, Ctrl, Alt; 0 where the key gives only its
// character.
constexpr KeyRow kKeyTable[] = {
    {0, 0, 0, 0},                              // 0
    {0, 0, 0, ext(1)},                         // 1 Esc
    {0, 0, 0, ext(120)},                       // 2 1
    {0, 0, ext(3), ext(121)},                  // 3 2
    {0, 0, 0, ext(122)},                       // 4 3
    {0, 0, 0, ext(123)},                       // 5 4
    {0, 0, 0, ext(124)},                       // 6 5
    {0, 0, 0, ext(125)},                       // 7 6
    {0, 0, 0, ext(126)},                       // 8 7
    {0, 0, 0, ext(127)},                       // 9 8
    {0, 0, 0, ext(128)},                       // 10 9
    {0, 0, 0, ext(129)},                       // 11 0
    {0, 0, 0, ext(130)},                       // 12 -
    {0, 0, 0, ext(131)},                       // 13 =
    {0, 0, 0, ext(224)},                       // 14 Backspace
    {0, ext(15), ext(148), ext(15)},           // 15 Tab
    {0, 0, 0, ext(16)},                        // 16 Q
    {0, 0, 0, ext(17)},                        // 17 W
    {0, 0, 0, ext(18)},                        // 18 E
    {0, 0, 0, ext(19)},                        // 19 R
    {0, 0, 0, ext(20)},                        // 20 T
    {0, 0, 0, ext(21)},                        // 21 Y
    {0, 0, 0, ext(22)},                        // 22 U
    {0, 0, 0, ext(23)},                        // 23 I
    {0, 0, 0, ext(24)},                        // 24 O
    {0, 0, 0, ext(25)},                        // 25 P
    {0, 0, 0, ext(26)},                        // 26 [
    {0, 0, 0, ext(27)},                        // 27 ]
    {0, 0, 0, ext(28)},                        // 28 Enter
    {0, 0, 0, 0},                              // 29 Ctrl
    {0, 0, 0, ext(30)},                        // 30 A
    {0, 0, 0, ext(31)},                        // 31 S
    {0, 0, 0, ext(32)},                        // 32 D
    {0, 0, 0, ext(33)},                        // 33 F
    {0, 0, 0, ext(34)},                        // 34 G
    {0, 0, 0, ext(35)},                        // 35 H
    {0, 0, 0, ext(36)},                        // 36 J
    {0, 0, 0, ext(37)},                        // 37 K
    {0, 0, 0, ext(38)},                        // 38 L
    {0, 0, 0, ext(39)},                        // 39 ;
    {0, 0, 0, ext(40)},                        // 40 '
    {0, 0, 0, ext(41)},                        // 41 `
    {0, 0, 0, 0},                              // 42 left Shift
    {0, 0, 0, 0},                              // 43 backslash
    {0, 0, 0, ext(44)},                        // 44 Z
    {0, 0, 0, ext(45)},                        // 45 X
    {0, 0, 0, ext(46)},                        // 46 C
    {0, 0, 0, ext(47)},                        // 47 V
    {0, 0, 0, ext(48)},                        // 48 B
    {0, 0, 0, ext(49)},                        // 49 N
    {0, 0, 0, ext(50)},                        // 50 M
    {0, 0, 0, ext(51)},                        // 51 ,
    {0, 0, 0, ext(52)},                        // 52 .
    {0, 0, 0, ext(53)},                        // 53 /
    {0, 0, 0, 0},                              // 54 right Shift
    {0, 0, 0, 0},                              // 55 keypad *
    {0, 0, 0, 0},                              // 56 Alt
    {0, 0, 0, 0},                              // 57 space
    {0, 0, 0, 0},                              // 58 Caps Lock
    {ext(59), ext(84), ext(94), ext(104)},     // 59 F1
    {ext(60), ext(85), ext(95), ext(105)},     // 60 F2
    {ext(61), ext(86), ext(96), ext(106)},     // 61 F3
    {ext(62), ext(87), ext(97), ext(107)},     // 62 F4
    {ext(63), ext(88), ext(98), ext(108)},     // 63 F5
    {ext(64), ext(89), ext(99), ext(109)},     // 64 F6
    {ext(65), ext(90), ext(100), ext(110)},    // 65 F7
    {ext(66), ext(91), ext(101), ext(111)},    // 66 F8
    {ext(67), ext(92), ext(102), ext(112)},    // 67 F9
    {ext(68), ext(93), ext(103), ext(113)},    // 68 F10
    {0, 0, 0, 0},                              // 69 Num Lock
    {0, 0, 0, 0},                              // 70 Scroll Lock
    {ext(71), 0, ext(119), 0},                 // 71 keypad 7
    {ext(72), 0, ext(141), 0},                 // 72 keypad 8
    {ext(73), 0, ext(132), 0},                 // 73 keypad 9
    {0, 0, 0, 0},                              // 74 keypad -
    {ext(75), 0, ext(115), 0},                 // 75 keypad 4
    {ext(76), 0, ext(143), ext(76)},           // 76 keypad 5
    {ext(77), 0, ext(116), 0},                 // 77 keypad 6
    {0, 0, 0, 0},                              // 78 keypad +
    {ext(79), 0, ext(117), 0},                 // 79 keypad 1
    {ext(80), 0, ext(145), 0},                 // 80 keypad 2
    {ext(81), 0, ext(118), 0},                 // 81 keypad 3
    {ext(82), 0, ext(146), 0},                 // 82 keypad 0
    {ext(83), 0, ext(147), 0},                 // 83 keypad .
    {0, 0, 0, 0},                              // 84
    {0, 0, 0, 0},                              // 85
    {0, 0, 0, 0},                              // 86
    {ext(133), ext(135), ext(137), ext(139)},  // 87 F11
    {ext(134), ext(136), ext(138), ext(140)},  // 88 F12
};
static_assert(std::size(kKeyTable) == 89);

// Keys without the enhanced flag, and enhanced keys that typed a character. The extended code
// counts only when the key typed its own character (either case) or, like the function keys,
// none at all; with no modifier a typed character always stands for itself.
int32_t translate_table_key(int character, int scan_code, int virtual_key, uint32_t state,
                            OwnCharacterLookup own_character) {
  if (scan_code >= 0 && scan_code < static_cast<int>(std::size(kKeyTable))) {
    const Column column = modifier_column(state);
    const uint16_t entry = kKeyTable[scan_code][column];
    if (entry >= 256 && (column != NORMAL || character == 0)) {
      const int own = own_character(virtual_key);
      if (character == own || character == swap_case(own)) return entry_code(entry);
    }
  }
  return character != 0 ? character : -1;
}

struct EnhancedKeyRow {
  int scan_code;
  KeyRow entries;  // below 256: the character itself
};

// Enhanced keys (the grey block and the keypad's Enter and slash) that typed no character.
constexpr EnhancedKeyRow kEnhancedKeyTable[] = {
    {28, {13, 13, 10, ext(166)}},                  // keypad Enter
    {53, {47, 63, ext(149), ext(164)}},            // keypad slash
    {71, {ext(71), ext(71), ext(119), ext(151)}},  // Home
    {72, {ext(72), ext(72), ext(141), ext(152)}},  // Up
    {73, {ext(73), ext(73), ext(132), ext(153)}},  // Page Up
    {75, {ext(75), ext(75), ext(115), ext(155)}},  // Left
    {77, {ext(77), ext(77), ext(116), ext(157)}},  // Right
    {79, {ext(79), ext(79), ext(117), ext(159)}},  // End
    {80, {ext(80), ext(80), ext(145), ext(160)}},  // Down
    {81, {ext(81), ext(81), ext(118), ext(161)}},  // Page Down
    {82, {ext(82), ext(82), ext(146), ext(162)}},  // Insert
    {83, {ext(83), ext(83), ext(147), ext(163)}},  // Delete
};

int32_t translate_enhanced_key(int scan_code, uint32_t state) {
  for (const EnhancedKeyRow& row : kEnhancedKeyTable) {
    if (row.scan_code != scan_code) continue;
    const uint16_t entry = row.entries[modifier_column(state)];
    return entry < 256 ? entry : entry_code(entry);
  }
  return -1;
}

}  // namespace

int32_t translate_key(int character, int scan_code, int virtual_key, uint32_t state,
                      OwnCharacterLookup own_character) {
  const int byte = character & 0xFF;
  if (!(state & key_state::ENHANCED) || byte != 0)
    return translate_table_key(byte, scan_code, virtual_key, state, own_character);
  return translate_enhanced_key(scan_code, state);
}

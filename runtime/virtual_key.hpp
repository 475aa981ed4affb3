#pragma once
// Windows virtual-key numbers: how the text console names the keys it decodes from a
// terminal, and what the key's own character is looked up by.

inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_NUMPAD8 = 0x68;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F11 = 0x7A;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_OEM_1 = 0xBA;  // ; :
inline constexpr int VK_OEM_PLUS = 0xBB;  // = +
inline constexpr int VK_OEM_COMMA = 0xBC;  // , <
inline constexpr int VK_OEM_MINUS = 0xBD;  // - _
inline constexpr int VK_OEM_PERIOD = 0xBE;  // . >
inline constexpr int VK_OEM_2 = 0xBF;  // / ?
inline constexpr int VK_OEM_3 = 0xC0;  // ` ~
inline constexpr int VK_OEM_4 = 0xDB;  // [ {
inline constexpr int VK_OEM_5 = 0xDC;  // \ |
inline constexpr int VK_OEM_6 = 0xDD;  // ] }
inline constexpr int VK_OEM_7 = 0xDE;  // ' "

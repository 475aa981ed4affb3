#pragma once
// Windows virtual-key numbers: how the text console names the keys it decodes from a
// terminal, and what the key's own character is looked up by. vk::RETURN stands for Windows'
// VK_RETURN: in a namespace and without the prefix, so that no name here is one of <windows.h>'s
// macros, whichever is included first (Delete is vk::DEL: DELETE is such a macro).

namespace vk {

inline constexpr int BACK = 0x08;
inline constexpr int TAB = 0x09;
inline constexpr int CLEAR = 0x0C;
inline constexpr int RETURN = 0x0D;
inline constexpr int SHIFT = 0x10;
inline constexpr int CONTROL = 0x11;
inline constexpr int ESCAPE = 0x1B;
inline constexpr int SPACE = 0x20;
inline constexpr int PRIOR = 0x21;
inline constexpr int NEXT = 0x22;
inline constexpr int END = 0x23;
inline constexpr int HOME = 0x24;
inline constexpr int LEFT = 0x25;
inline constexpr int UP = 0x26;
inline constexpr int RIGHT = 0x27;
inline constexpr int DOWN = 0x28;
inline constexpr int INSERT = 0x2D;
inline constexpr int DEL = 0x2E;
inline constexpr int NUMPAD0 = 0x60;
inline constexpr int NUMPAD8 = 0x68;
inline constexpr int MULTIPLY = 0x6A;
inline constexpr int ADD = 0x6B;
inline constexpr int SUBTRACT = 0x6D;
inline constexpr int DECIMAL = 0x6E;
inline constexpr int DIVIDE = 0x6F;
inline constexpr int F1 = 0x70;
inline constexpr int F4 = 0x73;
inline constexpr int F11 = 0x7A;
inline constexpr int F12 = 0x7B;
inline constexpr int OEM_1 = 0xBA;  // ; :
inline constexpr int OEM_PLUS = 0xBB;  // = +
inline constexpr int OEM_COMMA = 0xBC;  // , <
inline constexpr int OEM_MINUS = 0xBD;  // - _
inline constexpr int OEM_PERIOD = 0xBE;  // . >
inline constexpr int OEM_2 = 0xBF;  // / ?
inline constexpr int OEM_3 = 0xC0;  // ` ~
inline constexpr int OEM_4 = 0xDB;  // [ {
inline constexpr int OEM_5 = 0xDC;  // \ |
inline constexpr int OEM_6 = 0xDD;  // ] }
inline constexpr int OEM_7 = 0xDE;  // ' "

}  // namespace vk

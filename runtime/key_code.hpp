#pragma once
// Key codes: 0 no key; 1 to 255 a character in code page 437; 255 + 256 * k an extended key
// whose code byte k is mostly the keyboard scan code.
#include <cstdint>

inline constexpr int32_t extended_key_code(int32_t k) { return 255 + 256 * k; }

inline constexpr int32_t KEY_HOME = extended_key_code(71);
inline constexpr int32_t KEY_UP = extended_key_code(72);
inline constexpr int32_t KEY_LEFT = extended_key_code(75);
inline constexpr int32_t KEY_RIGHT = extended_key_code(77);
inline constexpr int32_t KEY_END = extended_key_code(79);
inline constexpr int32_t KEY_DOWN = extended_key_code(80);
inline constexpr int32_t KEY_DELETE = extended_key_code(83);
// A close request of the window or the terminal (the code of Alt+F4).
inline constexpr int32_t KEY_WINDOW_CLOSE = extended_key_code(107);

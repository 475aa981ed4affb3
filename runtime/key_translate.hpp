#pragma once
// Translation of a pressed key (character, scan code, virtual key, modifier state) into a key
// code: the same translation for keys of the graphics window and of the text console.
#include <cstdint>

// Key state mask bits, as the console reports them with a key event: the bits of Windows'
// RIGHT_ALT_PRESSED, ..., ENHANCED_KEY, named without the suffix so that no name here is one of
// <windows.h>'s macros, whichever is included first.
namespace key_state {
inline constexpr uint32_t RIGHT_ALT = 0x0001;
inline constexpr uint32_t LEFT_ALT = 0x0002;
inline constexpr uint32_t RIGHT_CTRL = 0x0004;
inline constexpr uint32_t LEFT_CTRL = 0x0008;
inline constexpr uint32_t SHIFT = 0x0010;
inline constexpr uint32_t ENHANCED = 0x0100;
}  // namespace key_state

// The platform's own character of a virtual key (Windows numbering): the character printed on
// the key, letters in upper case; 0 for a key without one.
using OwnCharacterLookup = int (*)(int virtual_key);

// The key code of a key-down: a character 0 to 255, an extended code 255 + 256 * k, or -1 for
// no key. Only the low byte of character counts; own_character must not be null.
int32_t translate_key(int character, int scan_code, int virtual_key, uint32_t state,
                      OwnCharacterLookup own_character);

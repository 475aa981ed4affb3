#pragma once
// Code page 437, the character set of the screen font, and Unicode.
#include <cstdint>

// The Unicode character that byte b shows as a glyph (0 and 255 show blank).
char32_t cp437_to_unicode(uint8_t b);

// The byte whose glyph is the Unicode character u; 0 when code page 437 lacks it.
uint8_t unicode_to_cp437(char32_t u);

// The one character that bytes encode in UTF-8; 0 when they are not exactly one well-formed
// character.
char32_t decode_utf8(const char* bytes, int count);

// Appends the UTF-8 encoding of u to out and returns the new end.
char* encode_utf8(char32_t u, char* out);

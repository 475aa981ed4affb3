#pragma once
// The default fonts and palettes of the graphics screen. They live in one static area that is
// unpacked once, at the first mode set, from an LZW-packed block generated at build time.
#include <cstddef>
#include <cstdint>

// A bitmap font of 256 glyphs in code page 437 order. Each glyph is height rows of
// (width + 7) / 8 bytes; bit 0 of a byte is the leftmost pixel, a set bit is foreground.
struct FontInfo {
  int32_t width;
  int32_t height;
  const uint8_t* glyphs;
};

// A default palette: count triples of red, green and blue bytes.
struct PaletteInfo {
  int32_t count;
  const uint8_t* rgb;
};

// Bytes of the unpacked area: the 8 x 8, 8 x 14 and 8 x 16 fonts, then the 2-, 16-, 64- and
// 256-colour palettes, back to back.
inline constexpr size_t GFX_DATA_SIZE = 10742;

// The code that ends a packed code stream.
inline constexpr uint16_t LZW_END_CODE = 4095;

// Index 0 is the 8 x 8 font, 1 the 8 x 14 font, 2 the 8 x 16 font. The glyphs are valid once
// unpack_gfx_data has run.
extern const FontInfo kFonts[3];

// The 2-, 16-, 64- and 256-colour palettes, valid once unpack_gfx_data has run.
extern const PaletteInfo kDefaultPalettes[4];

// The packed block, defined by the source that the build generates from the font files.
extern const uint8_t kGfxDataPacked[];
extern const size_t kGfxDataPackedSize;

// Unpacks the packed block into the area behind kFonts and kDefaultPalettes. Only the first
// call unpacks, whatever its outcome; every call returns the number of bytes that unpacking
// produced.
size_t unpack_gfx_data();

// Unpacks an LZW code stream of 12-bit codes (two codes in three bytes, low code first) into
// out. The first code stands for its low byte. Ends at the end code, when the input runs out,
// when out is full (writing what fits) or on a code the dictionary cannot decode. Returns the
// number of bytes written.
size_t lzw_unpack(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_capacity);

#pragma once
// The palette screen in a display's own pixel format: a table from the palette for framebuffer
// indices, and whole lines converted through it. Every presentation driver that does not take
// palette indices as they are shows its picture through these.
#include <cstdint>

#include "gfx/window.hpp"

// Where a display keeps each colour channel in a pixel. No masks: the display takes palette
// indices (an 8-bit display with a palette of its own).
struct DisplayFormat {
  uint32_t red_mask, green_mask, blue_mask;
  int32_t bytes_per_pixel;  // 1, 2, 3 or 4; pixels are stored least significant byte first
};

// The display's pixel for each of the 256 palette entries; the index itself without masks.
void fill_pixel_table(const DisplayFormat& format, const PaletteEntry (&palette)[256], uint32_t (&table)[256]);

// Converts width framebuffer pixels of source_bytes each (1: a palette index, through table;
// 2: 5-6-5 red, green and blue; 4: 0xRRGGBB) into display pixels, each repeated scale times
// across.
void convert_pixel_line(const DisplayFormat& format, const uint32_t (&table)[256], const uint8_t* source,
                        int32_t source_bytes, int32_t width, int32_t scale, uint8_t* out);

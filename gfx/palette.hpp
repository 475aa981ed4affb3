#pragma once
// The screen's palette and the colour statement on the graphics screen.
#include <cstdint>

// A negative index resets the palette (the selector of the reset); a negative green or blue
// sets entry index from a colour value; otherwise entry index from red, green and blue. Does
// nothing without a screen of at most 8 bits per pixel; marks every line dirty.
void palette_statement(int32_t index, int32_t color, int32_t green, int32_t blue);

// The colour statement: flag bit 1 keeps the foreground, bit 2 the background. In mode 1 it
// changes the palette, not the drawing colours. Returns the previous drawing colours.
uint32_t gfx_color(int32_t foreground, int32_t background, int32_t flags);

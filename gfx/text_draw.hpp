#pragma once
// Text on the graphics screen: glyphs drawn into the work page at the text cursor, with wrap,
// scroll, the owed newline and the text cells, and the cursor statements.
#include <cstdint>

#include "runtime/device_hooks.hpp"

// Prints at the cursor in the context's colours; a single byte 255 draws the cursor mark, a
// line across the bottom pixel row of the cell. flags: TEXT_OUTPUT_FORCE or 0.
void gfx_print(const uint8_t* bytes, uint64_t length, int32_t flags);

// Places the cursor (1-based; smaller values keep a coordinate) and cancels an owed newline.
void gfx_locate(int32_t row, int32_t column);

// The cursor cell (1-based) and the text grid size; either out-parameter may be null.
void gfx_cursor_cell(int32_t* column, int32_t* row);
void gfx_text_size(int32_t* columns, int32_t* rows);

// Clears the view's rows (mode 2, or the default when the view is narrower than the grid),
// the whole page (mode 0, or the default) or the viewport's pixels only (any other mode).
void gfx_cls(uint32_t mode);

// Puts the cursor on the top-left cell of a new screen, with the view covering the grid.
void reset_text_view();

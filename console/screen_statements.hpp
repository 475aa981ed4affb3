#pragma once
// The statements that act on the current screen: the graphics screen's versions while one is
// open (through the device hooks), the text console's otherwise.
#include <cstdint>

#include "runtime/device_hooks.hpp"

// Clears the text view (mode 0xFFFF0000), the whole screen, or nothing (mode 1); the screen
// channel's column becomes 0.
void clear_screen_statement(uint32_t mode);

// The colour statement: flag bit 1 keeps the foreground, bit 2 the background.
uint32_t color_statement(int32_t foreground, int32_t background, int32_t flags);

// Text output at the screen's cursor, with the control characters interpreted; flags
// TEXT_OUTPUT_FORCE or 0.
void screen_text_output(const uint8_t* bytes, uint64_t length, int32_t flags);

// Places the cursor at (row, column), 1-based; 0 keeps that coordinate. A row outside the text
// view or a column outside the grid moves nothing, but an owed newline is cancelled either way.
void locate(int32_t row, int32_t column);

// The cursor cell and the text grid size; either out-parameter may be null.
void screen_cursor_cell(int32_t* column, int32_t* row);
void screen_text_size(int32_t* columns, int32_t* rows);

// The beep of the line editor.
void sound_tone();

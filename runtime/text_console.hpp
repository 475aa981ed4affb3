#pragma once
// The text console on the process's terminal: clear, colours and text output with wrap and
// scroll, kept in the terminal's rows and columns. When standard output is not a terminal the
// output passes through unchanged and nothing else is written.
#include <cstdint>

#include "runtime/device_hooks.hpp"

// First and last row of the text view, counted from 0; -1 means the first or last row of the
// window. Shared with the graphics screen, which resets it when it closes.
struct ConsoleViewRange {
  int32_t first;
  int32_t last;
};
ConsoleViewRange& console_view_range();

// Clear-screen modes: 1 clears nothing, 2 and the default clear the text view, any other the
// whole window.
inline constexpr uint32_t CLEAR_DEFAULT = 0xFFFF0000u;

void console_clear(uint32_t mode);

// Flag bits: 1 keeps the foreground, 2 the background. Returns the previous foreground plus
// the previous background times 65536.
uint32_t console_color(int32_t foreground, int32_t background, int32_t flags);

// What console_color does to the colours it keeps, on either platform: sets those the flags
// leave free, each modulo 16, and returns the previous pair.
inline uint32_t choose_console_colors(int32_t& foreground, int32_t& background, int32_t new_foreground,
                                      int32_t new_background, int32_t flags) {
  const uint32_t previous = static_cast<uint32_t>(foreground) + static_cast<uint32_t>(background) * 65536u;
  if (!(flags & 1)) foreground = new_foreground & 15;
  if (!(flags & 2)) background = new_background & 15;
  return previous;
}

// flags: TEXT_OUTPUT_FORCE or 0.
void console_write(const uint8_t* bytes, uint64_t length, int32_t flags);

// Places the cursor (1-based; 0 keeps a coordinate) and cancels an owed newline.
void console_locate(int32_t row, int32_t column);

// The cursor cell, 1-based; with a newline owed, the last cell of the view.
void console_cursor_cell(int32_t* column, int32_t* row);

// The width of the print zones when the output is a stream, not a terminal or console.
inline constexpr int32_t kStreamWidth = 80;

// The text area: the terminal's columns and rows (kStreamWidth columns of unlimited rows in a
// stream).
void console_text_size(int32_t* columns, int32_t* rows);

// The beep: the terminal bell, and nothing when the output is a stream.
void console_tone();

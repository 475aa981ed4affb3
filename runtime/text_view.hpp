#pragma once
// The one interpreter of control characters, wrap and scroll that every screen shares. A screen
// supplies a view record with its draw-run and scroll operations and keeps its own cursor
// around the call.
#include <cstdint>

struct TextView;

// Draws count bytes as glyphs at the view's cursor; never handed a run crossing the right edge.
// Returns 1 on success; anything else stops the current write.
using TextViewDrawRun = int (*)(TextView& view, const uint8_t* bytes, int32_t count);

// Moves the rows top + lines .. bottom up by lines rows, blanks the freed rows and leaves the
// view's row at bottom.
using TextViewScroll = void (*)(TextView& view, int32_t left, int32_t top, int32_t right,
                                int32_t bottom, int32_t lines);

// Sounds the screen's tone for a BEL byte.
using TextViewTone = void (*)(TextView& view);

struct TextView {
  void* owner;             // the screen's own data
  TextViewScroll scroll;
  TextViewDrawRun draw_run;
  TextViewTone tone;       // may be null: BEL is then silent
  int32_t left, top, right, bottom;  // inclusive text coordinates; bottom -1: no bottom limit
  int32_t column, row;               // the cursor the interpreter moves
};

// Interprets bytes: BEL (7) tone, BS (8) one column back, TAB (9) blanks to the next multiple of
// 8 from left, LF (10) next row at left, CR (13) back to left; every other byte is drawn.
void text_view_write(TextView& view, const uint8_t* bytes, uint64_t length);

// Writes as a screen that owes its newline: a newline owed by the last write is carried out
// first; text that ends just past the last cell of the bottom row leaves the cursor on that
// cell and owes the newline again; rows below the bottom scroll up.
void text_view_write_owing(TextView& view, const uint8_t* bytes, uint64_t length, bool& newline_owed);

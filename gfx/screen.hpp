#pragma once
// The graphics screen: the one open screen record with its framebuffer pages, palettes, text
// cells and dirty lines, each thread's drawing context, and the screen lock.
#include <cstdint>
#include <memory>
#include <semaphore>
#include <vector>

#include "gfx/gfx_data.hpp"

struct GfxDriver;

// What was drawn into one cell of the text grid.
struct TextCell {
  uint16_t code;
  uint32_t foreground;
  uint32_t background;
};

// Pixel access for one pixel size (1, 2 or 4 bytes); colours are written as the context
// holds them, truncated to the pixel size.
struct PixelOps {
  void (*fill)(uint8_t* line, int32_t x, int32_t count, uint32_t color);
  // Eight pixels from x on from one row of a glyph: bit 0 leftmost, set bits foreground.
  void (*glyph_row)(uint8_t* line, int32_t x, uint8_t bits, uint32_t fg, uint32_t bg);
};

// Input events of the window: a type (1 to 14) and up to four values.
struct GfxEvent {
  int32_t words[5];
};

inline constexpr int kEventQueueSize = 128;

struct EventQueue {
  GfxEvent events[kEventQueueSize];
  int32_t read_index = 0;
  int32_t write_index = 0;
  std::binary_semaphore guard{1};  // taken around each append and read
};

struct FreeDeleter {
  void operator()(uint8_t* p) const;
};
using PageMemory = std::unique_ptr<uint8_t[], FreeDeleter>;

// Screen flag: the cursor is parked on the last cell of the view and a newline is owed.
inline constexpr uint32_t SCREEN_PENDING_NEWLINE = 4;

// The open screen. Some of what it keeps is set and never read by these programs' statements:
// default_palette_rgb, color_map, aspect, refresh_rate and the event queue (as is the window's
// mouse state beyond whether the pointer is inside).
struct GfxScreen {
  int32_t serial;                    // from a counter each mode set advances
  int32_t mode;
  std::vector<PageMemory> pages;     // page_count pages of height lines of pitch bytes
  int32_t page_count;
  int32_t visible_page;
  uint8_t* visible_framebuffer;
  int32_t width, height;
  int32_t depth;                     // bits per pixel after normalisation
  int32_t bytes_per_pixel;
  int32_t pitch;
  uint32_t default_palette_rgb[256];  // red | green << 8 | blue << 16
  uint32_t device_palette[256];       // what each colour index shows now, same packing
  uint8_t color_map[16];              // default palette entry each attribute shows
  std::vector<uint8_t> dirty;         // per framebuffer line: changed since last presented
  const GfxDriver* driver;
  uint32_t color_mask;
  const PaletteInfo* palette;
  int32_t scanline_multiplier;
  int32_t cursor_column, cursor_row;  // the cell of the next character, from 0
  const FontInfo* font;
  int32_t text_columns, text_rows;
  float aspect;
  int32_t refresh_rate;
  uint8_t key_state[128];             // per scan code: 1 while held
  std::vector<std::vector<TextCell>> text_cells;  // one grid per page
  EventQueue events;
  uint32_t flags;
  int32_t lock_count;                 // nesting of screen_lock
  const PixelOps* pixels;
};

// The open screen, or null while the text console is in use.
GfxScreen* current_screen();
void set_current_screen(GfxScreen* screen);

// Each thread's drawing state, reset whenever a new screen opens.
struct GfxContext {
  int32_t serial;
  int32_t work_page;
  std::vector<uint8_t*> lines;        // the work page's lines
  int32_t clip_left, clip_top, clip_right, clip_bottom;
  uint32_t fg_color, bg_color;
};

// The calling thread's context for the open screen (reset if it was made for another).
GfxContext& context_get();

// Brackets every statement's access to the screen's memory and the key buffer. The outermost
// lock takes the driver's lock; the unlock marks lines first to last (a negative last: the
// bottom line) dirty when the work page is the one shown. Nothing happens without a screen.
void screen_lock();
void screen_unlock(int32_t first_line, int32_t last_line);
// The unlock that marks no line: the statement changed no pixel, or marked what it drew itself.
void screen_unlock_unmarked();

// Marks every line dirty: the whole picture is shown again at the next presentation.
void mark_all_dirty(GfxScreen& screen);

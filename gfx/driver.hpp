#pragma once
// Presentation drivers: a name and a table of operations. An absent operation is skipped.
#include <cstdint>

struct GfxDriver {
  const char* name;
  // Opens the window and its presentation; 0 when it opened. height is the framebuffer
  // height times the scanline multiplier.
  int32_t (*init)(const char* title, int32_t width, int32_t height, int32_t depth,
                  int32_t refresh_rate, int32_t flags);
  void (*exit)();  // stops the presentation and undoes every change it made
  void (*lock)();  // the driver lock, held by the presentation for each whole cycle
  void (*unlock)();
  void (*set_palette)(int32_t index, int32_t red, int32_t green, int32_t blue);
};

// Window flags of the mode set, kept in GfxWindow::flags.
inline constexpr int32_t GFX_FULLSCREEN = 0x01;
inline constexpr int32_t GFX_OPENGL = 0x02;
inline constexpr int32_t GFX_NO_SWITCHING = 0x04;     // no full-screen switch, no maximise box
inline constexpr int32_t GFX_NO_FRAME = 0x08;         // a bare pop-up window
inline constexpr int32_t GFX_SHAPED = 0x10;           // implies GFX_NO_SWITCHING and GFX_NO_FRAME
inline constexpr int32_t GFX_TOPMOST = 0x20;          // always on top
inline constexpr int32_t GFX_RAISED_PRIORITY = 0x80;  // the presentation's, while active
inline constexpr int32_t GFX_NO_WINDOW = -1;  // the screen lives in memory only

// The driver that opened for a new screen, or null when none did. flags -1, or the
// configuration variable QZGFX set to "null" in any letter case, take the in-memory driver;
// QZGFX naming a driver tries that one first.
const GfxDriver* select_driver(const char* title, int32_t width, int32_t height, int32_t depth,
                               int32_t refresh_rate, int32_t flags);

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

// Window flags of the mode set.
inline constexpr int32_t GFX_FULLSCREEN = 0x01;
inline constexpr int32_t GFX_OPENGL = 0x02;
inline constexpr int32_t GFX_NO_WINDOW = -1;  // the screen lives in memory only

// The driver that opened for a new screen, or null when none did. flags -1, or the
// configuration variable QZGFX set to "null" in any letter case, take the in-memory driver;
// QZGFX naming a driver tries that one first.
const GfxDriver* select_driver(const char* title, int32_t width, int32_t height, int32_t depth,
                               int32_t refresh_rate, int32_t flags);

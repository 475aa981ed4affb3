#pragma once
// The window layer every window driver shares: the state of the one window, its driver lock,
// its palette table, and what the window's focus, close button and mouse do to the screen.
// The window system's own calls stay in the driver.
#include <atomic>
#include <cstdint>
#include <string>

struct PaletteEntry {
  uint8_t red, green, blue, flag;
};

struct MouseState {
  int32_t x, y;               // client coordinates
  int32_t buttons;            // 1 left, 2 right, 4 middle, 8 and 16 the extra buttons
  int32_t wheel, horizontal_wheel;
  bool inside;                // the pointer is in the client area
  bool has_last;              // last_x and last_y hold a position
  int32_t last_x, last_y;
  int32_t pressed_bit;        // the button and time of the last press, for double clicks
  uint32_t pressed_ms;
};

// The presentation thread's cycle: a window's driver presents every so many milliseconds,
// sooner when the window system has events.
inline constexpr int32_t kPresentCycleMs = 10;

struct GfxWindow {
  std::string title;
  int32_t width, height;      // the client area: the framebuffer times the line multiplier
  int32_t flags;              // the mode set's; full screen flips with each switch
  std::atomic<bool> running{false};  // the presentation thread should go on
  bool active;                // focused and not minimised
  PaletteEntry palette[256];
  bool palette_changed;
  bool bell_requested;        // the statements asked for the window system's bell
  MouseState mouse;
};

GfxWindow& gfx_window();

// Clears the window state for a new window.
void window_reset(const char* title, int32_t width, int32_t height, int32_t flags);

// The driver lock, the one for every driver with a presentation thread: held by that thread for
// each whole cycle and by the program's thread inside the outermost screen_lock, so that the
// presentation never sees a half-drawn line and key pushes never overlap a statement. The web's
// driver takes none: its one thread presents only between statements.
void driver_lock();
void driver_unlock();

// The palette operation every window driver shares.
void window_set_palette(int32_t index, int32_t red, int32_t green, int32_t blue);

// The name of the Win32 window class: "qzgfxclass_" and an address inside the program, cut to
// 27 characters, so that each program has a class of its own. (An X11 window's class is the
// program's name, which desktop menus match.)
std::string window_class_name();

// The beep of the graphics screen: the presentation rings the window system's bell at its next
// cycle. Nothing reaches the terminal.
void gfx_tone();

// Window events, handled on the presentation thread under the driver lock.
void window_close_requested();           // one close request into the key buffer
void window_activated(bool active);      // focus gained or lost
void window_exposed();                   // everything must be shown again
// After a switch between the window and full screen: the palette goes into the new
// presentation, every line is shown again, the window is active and the pointer outside.
void window_fullscreen_switched();
void window_mouse_moved(int32_t x, int32_t y);
void window_mouse_left();
void window_mouse_button(int32_t bit, bool pressed, bool double_click);
// A button of a window system that tells no double clicks: a second press of the same button
// within 400 ms of the first (by the window system's clock) is one.
void window_mouse_clicked(int32_t bit, bool pressed, uint32_t time_ms);
void window_mouse_wheel(int32_t notches, bool horizontal);

#pragma once
// The Wayland side of the window: the connection, the surface in its frame, the shared-memory
// buffers it is painted from, and the keyboard. Used only on the presentation thread, which
// owns the connection. Only the wayland_*.cpp files include this header.
#include <libdecor.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fractional-scale-v1.h"
#include "gfx/posix/keysym_keys.hpp"
#include "viewporter.h"

struct GfxScreen;

// One buffer of device pixels (XRGB8888) in shared memory.
struct WaylandBuffer {
  wl_buffer* buffer;
  uint8_t* pixels;
  bool busy;                      // the compositor holds it: it is not drawn into
  int stale_first, stale_last;    // its rows drawn into the other one since (first > last: none)
};

struct WaylandOutput {
  wl_output* output;
  int scale;                      // its whole scale, as the compositor tells it
  bool entered;                   // the window is on it
};

struct WaylandWindow {
  wl_display* display;
  wl_registry* registry;
  wl_compositor* compositor;
  wl_shm* shm;
  wl_seat* seat;
  wl_keyboard* keyboard;
  wl_pointer* pointer;
  bool pointer_inside;            // the pointer is on the picture's surface
  bool has_shell;                 // the compositor offers xdg_wm_base, which the frame uses
  wp_fractional_scale_manager_v1* fraction_manager;
  wp_viewporter* viewporter;
  std::vector<WaylandOutput> outputs;
  wl_surface* surface;
  // Where the compositor gives fractional scales: the scale it prefers for the surface, and the
  // viewport that shows a buffer of device pixels at the logical size. Null otherwise: then
  // the buffer's scale is the outputs' whole one.
  wp_fractional_scale_v1* fraction;
  wp_viewport* viewport;
  int scale_120ths;
  libdecor* decor;
  libdecor_frame* frame;
  bool configured;                // the frame has its first size
  bool fullscreen;
  int content_width, content_height;  // logical pixels: the picture's, larger in full screen
  int buffer_scale;               // device pixels per logical pixel: the outputs' whole scale
  int width, height, stride;      // the buffers' device pixels
  int scale, offset_x, offset_y;  // the picture's whole factor and place in the buffers
  uint8_t* memory;                // both buffers' pixels, mapped
  size_t memory_size;
  WaylandBuffer buffers[2];
  WaylandBuffer* shown;           // the buffer committed last, which holds the whole picture
  WaylandBuffer* drawn;           // the buffer being drawn into now
  wl_callback* frame_done;        // asked for with the last picture; null once it came
  uint32_t lut[256];              // framebuffer index -> pixel, from the palette table
  xkb_context* xkb;
  xkb_keymap* keymap;
  xkb_state* key_state;
  int repeat_rate, repeat_delay;  // keys a second, milliseconds before the first repeat
  uint32_t repeat_key;            // the X key code repeating now; 0 for none
  std::chrono::steady_clock::time_point next_repeat;
  RightModifiers right_modifiers;
};

// The connection broke or the compositor refused a request: the program ends, saying so.
[[noreturn]] void wayland_connection_lost();

// Reads what the compositor sent, waiting up to timeout_ms; false when the connection failed.
// Events are queued for wayland_dispatch.
bool wayland_read(wl_display* display, int timeout_ms);
void wayland_dispatch(WaylandWindow& w);

// The whole scale of the outputs the window is on (of every output before it is on one).
int wayland_output_scale(const WaylandWindow& w);

// The window's own logical size, out of full screen: the picture's at the desktop's whole scale.
void wayland_own_size(const WaylandWindow& w, int& width, int& height);

// Makes the buffers for the window's size and scale now and places the picture in them; the
// whole picture is then shown again. The program ends when no memory for them can be had.
void wayland_layout_picture(WaylandWindow& w);
void wayland_destroy_buffers(WaylandWindow& w);

// Shows the framebuffer's dirty lines in a buffer the compositor does not hold, once it showed
// the last one; nothing while it has not.
void wayland_present(WaylandWindow& w, GfxScreen& screen);

// The keyboard and the pointer of the seat: keys into the key buffer, the program's own key
// repeat, the pointer's moves, buttons and wheels into the window's mouse state.
void wayland_listen_to_seat(WaylandWindow& w);
void wayland_repeat_keys(WaylandWindow& w);
// Milliseconds until the next repeat is due (limit when none is).
int wayland_repeat_wait(const WaylandWindow& w, int limit);
void wayland_release_input(WaylandWindow& w);

// Switches between the window and full screen.
void wayland_toggle_fullscreen(WaylandWindow& w);

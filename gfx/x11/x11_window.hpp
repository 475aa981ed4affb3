#pragma once
// The X11 side of the window: the display connection, the window, the image it is painted
// from. Used only on the presentation thread, which owns the connection. Only the x11_*.cpp
// files and x11_driver.cpp include this header.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "gfx/posix/keysym_keys.hpp"
#include "gfx/pixel_convert.hpp"

struct GfxScreen;

struct X11Window {
  Display* display;
  Window window;
  Visual* visual;
  int visual_depth;
  GC gc;
  Atom wm_protocols, wm_delete_window, net_wm_name, utf8_string;
  Atom net_wm_state, net_wm_state_fullscreen, net_wm_state_maximized_vert,
      net_wm_state_maximized_horz;
  DisplayFormat format;       // the visual's pixels
  uint32_t lut[256];          // framebuffer index -> pixel value, from the palette table
  Colormap colormap;          // a display with a colour map: the screen's; None otherwise
  unsigned long allocated[256];  // the colour map's cells the palette holds
  int allocated_count;
  XImage* image;              // the picture at the current scale
  XShmSegmentInfo shm;        // valid while shm_attached
  bool shm_attached;
  int client_width, client_height;  // the window's size now (larger in full screen)
  int scale, offset_x, offset_y;    // the picture's whole-number scale and place in the window
  int desktop_scale;                // the desktop's: the window is the picture's size times it
  bool fullscreen;
  bool screen_saver_suspended;
  RightModifiers right_modifiers;
};

// The whole scale the desktop asks applications to show at: GDK_SCALE when it is a whole
// number of at least 1, else the server's Xft.dpi resource over 96 (the nearest whole scale),
// else 1; lowered until a window of width x height fits the screen's work area.
int x11_desktop_scale(Display* display, int width, int height);

// Makes the image for the current size of the window and places the picture; false when no
// image can be made.
bool x11_layout_picture(X11Window& x);
void x11_destroy_image(X11Window& x);

// On a display with a colour map: the palette's colours are allocated there (those allocated
// before given back) and the pixel table takes the cells they got, each colour that finds no
// free cell taking the nearest one. Nothing on a display without one.
void x11_allocate_colors(X11Window& x, const PaletteEntry palette[256]);
void x11_free_colors(X11Window& x);

// Shows the framebuffer's dirty lines (every line after a palette change) and clears them.
void x11_present(X11Window& x, GfxScreen& screen);

// Handles one event of the window.
void x11_dispatch_event(X11Window& x, XEvent& event);

// Another client destroyed the window: the program ends, saying so.
[[noreturn]] void x11_window_lost();

// Switches between the window and full screen through the window manager.
void x11_toggle_fullscreen(X11Window& x);

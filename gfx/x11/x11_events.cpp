#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <array>

#include "gfx/posix/keysym_keys.hpp"
#include "gfx/screen.hpp"
#include "gfx/window.hpp"
#include "gfx/x11/x11_window.hpp"
#include "runtime/cp437.hpp"

namespace {

// The character a key typed: one byte is Latin-1 (or ASCII), several are the locale's UTF-8.
char32_t typed_character(const char* bytes, int count) {
  return count == 1 ? static_cast<unsigned char>(bytes[0]) : decode_utf8(bytes, count);
}

void key_event(X11Window& x, XEvent& event) {
  XKeyEvent& e = event.xkey;
  char bytes[8];
  KeySym keysym = NoSymbol;
  const int count = XLookupString(&e, bytes, sizeof bytes, &keysym, nullptr);
  const KeysymKey key{event.type == KeyPress,
                      static_cast<int>(e.keycode),
                      static_cast<uint32_t>(XLookupKeysym(&e, 0)),
                      static_cast<uint32_t>(keysym),
                      typed_character(bytes, count),
                      (e.state & ShiftMask) != 0,
                      (e.state & ControlMask) != 0,
                      (e.state & Mod1Mask) != 0};
  if (keysym_key_event(key, x.right_modifiers) && gfx_window().active) x11_toggle_fullscreen(x);
}

void client_message(X11Window& x, XEvent& event) {
  const XClientMessageEvent& e = event.xclient;
  if (e.message_type == x.wm_protocols && static_cast<Atom>(e.data.l[0]) == x.wm_delete_window) {
    window_close_requested();
  }
}

bool maximised(const X11Window& x) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x.display, x.window, x.net_wm_state, 0, 32, False, XA_ATOM, &type, &format,
                         &count, &after, &data) != Success) {
    return false;
  }
  bool found = false;
  for (unsigned long i = 0; i < count && data != nullptr; ++i) {
    const Atom state = reinterpret_cast<Atom*>(data)[i];
    found |= state == x.net_wm_state_maximized_vert || state == x.net_wm_state_maximized_horz;
  }
  if (data != nullptr) XFree(data);
  return found;
}

// A window manager's maximise becomes full screen; any other size change of the window is
// undone, as the window has the screen's size at the desktop's scale.
bool follow_window_manager(X11Window& x, int width, int height) {
  if (x.fullscreen) return false;
  if (maximised(x)) {
    x11_toggle_fullscreen(x);
    return true;
  }
  const GfxWindow& w = gfx_window();
  const int own_width = w.width * x.desktop_scale, own_height = w.height * x.desktop_scale;
  if (width == own_width && height == own_height) return false;
  XResizeWindow(x.display, x.window, static_cast<unsigned>(own_width), static_cast<unsigned>(own_height));
  return true;
}

void configure(X11Window& x, XEvent& event) {
  const XConfigureEvent& e = event.xconfigure;
  if (e.width == x.client_width && e.height == x.client_height) return;
  if (follow_window_manager(x, e.width, e.height)) return;
  x.client_width = e.width;
  x.client_height = e.height;
  XClearWindow(x.display, x.window);
  x11_layout_picture(x);
  window_exposed();
}

void focus(X11Window&, XEvent& event) {
  if (event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) {
    window_activated(event.type == FocusIn);
  }
}

void expose(X11Window&, XEvent&) { window_exposed(); }

void property(X11Window& x, XEvent& event) {
  if (event.xproperty.atom == x.net_wm_state) follow_window_manager(x, x.client_width, x.client_height);
}

void motion(X11Window&, XEvent& event) { window_mouse_moved(event.xmotion.x, event.xmotion.y); }

void crossing(X11Window&, XEvent& event) {
  if (event.type == EnterNotify) {
    window_mouse_moved(event.xcrossing.x, event.xcrossing.y);
  } else if (gfx_window().mouse.inside) {
    window_mouse_left();
  }
}

void button(X11Window&, XEvent& event) {
  const XButtonEvent& e = event.xbutton;
  const bool pressed = event.type == ButtonPress;
  switch (e.button) {
    case 4: case 5:
      if (pressed) window_mouse_wheel(e.button == 4 ? 1 : -1, false);
      return;
    case 6: case 7:
      if (pressed) window_mouse_wheel(e.button == 7 ? 1 : -1, true);
      return;
    default: break;
  }
  constexpr int32_t kButtonBits[] = {0, 1, 4, 2, 0, 0, 0, 0, 8, 16};
  const int32_t bit = e.button < std::size(kButtonBits) ? kButtonBits[e.button] : 0;
  if (bit != 0) window_mouse_clicked(bit, pressed, static_cast<uint32_t>(e.time));
}

void destroyed(X11Window& x, XEvent& event) {
  if (event.xdestroywindow.window == x.window) x11_window_lost();
}

using EventHandler = void (*)(X11Window&, XEvent&);

constexpr std::array<EventHandler, LASTEvent> make_event_table() {
  std::array<EventHandler, LASTEvent> table{};
  table[KeyPress] = key_event;
  table[KeyRelease] = key_event;
  table[ButtonPress] = button;
  table[ButtonRelease] = button;
  table[MotionNotify] = motion;
  table[EnterNotify] = crossing;
  table[LeaveNotify] = crossing;
  table[FocusIn] = focus;
  table[FocusOut] = focus;
  table[Expose] = expose;
  table[ConfigureNotify] = configure;
  table[PropertyNotify] = property;
  table[ClientMessage] = client_message;
  table[DestroyNotify] = destroyed;
  return table;
}

constexpr std::array<EventHandler, LASTEvent> kEventHandlers = make_event_table();

}  // namespace

void x11_dispatch_event(X11Window& x, XEvent& event) {
  if (event.type >= 0 && event.type < LASTEvent && kEventHandlers[event.type] != nullptr) {
    kEventHandlers[event.type](x, event);
  }
}

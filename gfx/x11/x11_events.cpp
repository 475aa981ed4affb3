#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <array>
#include <cctype>

#include "gfx/key_messages.hpp"
#include "gfx/screen.hpp"
#include "gfx/window.hpp"
#include "gfx/x11/x11_window.hpp"
#include "runtime/cp437.hpp"

namespace {

// The grey keys and the keypad's Enter and slash carry the enhanced flag with the set-1 scan
// code of their plain counterpart; every other key's scan code is its X key code less 8.
struct EnhancedKey {
  KeySym keysym;
  int scan_code;
};

constexpr EnhancedKey kEnhancedKeys[] = {
    {XK_Home, 71},  {XK_Up, 72},         {XK_Prior, 73},     {XK_Left, 75},
    {XK_Right, 77}, {XK_End, 79},        {XK_Down, 80},      {XK_Next, 81},
    {XK_Insert, 82}, {XK_Delete, 83},    {XK_KP_Enter, 28},  {XK_KP_Divide, 53},
    {XK_Control_R, 29}, {XK_Alt_R, 56},  {XK_ISO_Level3_Shift, 56},
};

constexpr int kDoubleClickMs = 400;

// The key's own character: what its unshifted key cap shows, letters in upper case.
int own_character(int keysym) {
  switch (keysym) {
    case XK_BackSpace: return 8;
    case XK_Tab: return 9;
    case XK_Return: return 13;
    case XK_Escape: return 27;
    default: break;
  }
  return keysym >= 0x20 && keysym < 0x7f ? std::toupper(keysym) : 0;
}

// The character of keys whose key symbol is not a Latin-1 character.
char32_t keysym_character(KeySym keysym) {
  if (keysym >= 0x01000100 && keysym <= 0x0110FFFF) return static_cast<char32_t>(keysym - 0x01000000);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return U'0' + static_cast<char32_t>(keysym - XK_KP_0);
  switch (keysym) {
    case XK_ISO_Left_Tab: return 9;
    case XK_KP_Enter: return 13;
    case XK_KP_Decimal: return U'.';
    case XK_KP_Add: return U'+';
    case XK_KP_Subtract: return U'-';
    case XK_KP_Multiply: return U'*';
    case XK_KP_Divide: return U'/';
    default: return 0;
  }
}

// The character a key typed: one byte is Latin-1 (or ASCII), several are the locale's UTF-8;
// keys that give no bytes may still name a character by their key symbol.
char32_t typed_character(const char* bytes, int count, KeySym keysym) {
  if (count == 1) return static_cast<unsigned char>(bytes[0]);
  if (count > 1) return decode_utf8(bytes, count);
  return keysym_character(keysym);
}

uint32_t modifier_state(const X11Window& x, unsigned state) {
  uint32_t mask = 0;
  if (state & ShiftMask) mask |= key_state::SHIFT;
  if (state & ControlMask) mask |= key_state::LEFT_CTRL | (x.right_ctrl_down ? key_state::RIGHT_CTRL : 0);
  if (state & Mod1Mask) mask |= key_state::LEFT_ALT | (x.right_alt_down ? key_state::RIGHT_ALT : 0);
  return mask;
}

void key_event(X11Window& x, XEvent& event) {
  XKeyEvent& e = event.xkey;
  const bool down = event.type == KeyPress;
  const KeySym plain = XLookupKeysym(&e, 0);
  if (plain == XK_Control_R) x.right_ctrl_down = down;
  if (plain == XK_Alt_R || plain == XK_ISO_Level3_Shift) x.right_alt_down = down;
  int scan_code = e.keycode >= 8 && e.keycode < 8 + 128 ? static_cast<int>(e.keycode) - 8 : 0;
  uint32_t state = modifier_state(x, e.state);
  for (const EnhancedKey& k : kEnhancedKeys) {
    if (k.keysym == plain) {
      scan_code = k.scan_code;
      state |= key_state::ENHANCED;
    }
  }
  char bytes[8];
  KeySym keysym = NoSymbol;
  const int count = XLookupString(&e, bytes, sizeof bytes, &keysym, nullptr);
  char32_t character = typed_character(bytes, count, keysym);
  if (keysym == XK_Delete || keysym == XK_KP_Delete) character = 0;  // a key, not a character
  if ((state & key_state::LEFT_CTRL) && character == 13) character = 10;
  GfxScreen* screen = current_screen();
  uint8_t& held = screen->key_state[scan_code & 127];
  const bool was_down = down && held;
  held = down;
  const bool alt = state & key_state::LEFT_ALT;
  if (down && alt && (plain == XK_Return || plain == XK_KP_Enter)) {
    if (gfx_window().active) x11_toggle_fullscreen(x);
    return;
  }
  const bool system = down && (alt || plain == XK_F10);
  const KeyMessageData key{system ? KeyMessage::SYSTEM_DOWN : down ? KeyMessage::DOWN : KeyMessage::UP,
                           scan_code,
                           state,
                           static_cast<int>(plain),
                           character <= 255 ? static_cast<int>(character) : 0,
                           1,
                           was_down,
                           plain == XK_F10 || plain == XK_Alt_L || plain == XK_Alt_R};
  if (handle_key_message(key, own_character) || !down || system || character == 0) return;
  handle_char_message(character < 128 ? static_cast<int>(character) : unicode_to_cp437(character), 1);
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

void button(X11Window& x, XEvent& event) {
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
  if (bit == 0) return;
  const bool double_click = pressed && e.button == x.last_button &&
                            e.time - x.last_press_time < static_cast<Time>(kDoubleClickMs);
  if (pressed) {
    x.last_button = double_click ? 0 : e.button;
    x.last_press_time = e.time;
  }
  window_mouse_button(bit, pressed, double_click);
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

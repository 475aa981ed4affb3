#pragma once
// The keys of a window system that names them by X key symbols (X11, and Wayland through
// xkbcommon), turned into key codes in the key buffer and key events: one translation for
// both. Runs on the presentation thread, which holds the driver lock.
#include <cstdint>

// One key as the window system reports it.
struct KeysymKey {
  bool down;
  int keycode;          // the X key code: the evdev code plus 8
  uint32_t plain;       // the key's symbol without modifiers
  uint32_t keysym;      // its symbol with the modifiers in force
  char32_t character;   // what it types; 0 for nothing (the key symbol may still name one)
  bool shift, ctrl, alt;
};

// The right-hand Ctrl and Alt, which the window systems' modifier states do not tell apart.
struct RightModifiers {
  bool ctrl, alt;
};

// Pushes the key's code and character and posts its key event. Returns true for Alt+Enter,
// which pushes nothing: the window switches full screen.
bool keysym_key_event(const KeysymKey& key, RightModifiers& right);

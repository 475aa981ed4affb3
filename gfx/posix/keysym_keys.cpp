#include "gfx/posix/keysym_keys.hpp"

#include <X11/keysym.h>

#include <cctype>

#include "gfx/key_messages.hpp"
#include "gfx/screen.hpp"
#include "runtime/cp437.hpp"

namespace {

// The grey keys and the keypad's Enter and slash carry the enhanced flag with the set-1 scan
// code of their plain counterpart; every other key's scan code is its X key code less 8.
struct EnhancedKey {
  uint32_t keysym;
  int scan_code;
};

constexpr EnhancedKey kEnhancedKeys[] = {
    {XK_Home, 71},  {XK_Up, 72},         {XK_Prior, 73},     {XK_Left, 75},
    {XK_Right, 77}, {XK_End, 79},        {XK_Down, 80},      {XK_Next, 81},
    {XK_Insert, 82}, {XK_Delete, 83},    {XK_KP_Enter, 28},  {XK_KP_Divide, 53},
    {XK_Control_R, 29}, {XK_Alt_R, 56},  {XK_ISO_Level3_Shift, 56},
};

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

// The character of keys that type none of their own but whose key symbol names one.
char32_t keysym_character(uint32_t keysym) {
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

uint32_t modifier_state(const KeysymKey& key, const RightModifiers& right) {
  uint32_t mask = 0;
  if (key.shift) mask |= key_state::SHIFT;
  if (key.ctrl) mask |= key_state::LEFT_CTRL | (right.ctrl ? key_state::RIGHT_CTRL : 0);
  if (key.alt) mask |= key_state::LEFT_ALT | (right.alt ? key_state::RIGHT_ALT : 0);
  return mask;
}

}  // namespace

bool keysym_key_event(const KeysymKey& key, RightModifiers& right) {
  const uint32_t plain = key.plain;
  if (plain == XK_Control_R) right.ctrl = key.down;
  if (plain == XK_Alt_R || plain == XK_ISO_Level3_Shift) right.alt = key.down;
  int scan_code = key.keycode >= 8 && key.keycode < 8 + 128 ? key.keycode - 8 : 0;
  uint32_t state = modifier_state(key, right);
  for (const EnhancedKey& k : kEnhancedKeys) {
    if (k.keysym == plain) {
      scan_code = k.scan_code;
      state |= key_state::ENHANCED;
    }
  }
  char32_t character = key.character != 0 ? key.character : keysym_character(key.keysym);
  if (key.keysym == XK_Delete || key.keysym == XK_KP_Delete) character = 0;  // a key, not a character
  if ((state & key_state::LEFT_CTRL) && character == 13) character = 10;
  GfxScreen* screen = current_screen();
  uint8_t& held = screen->key_state[scan_code & 127];
  const bool was_down = key.down && held;
  held = key.down;
  const bool alt = state & key_state::LEFT_ALT;
  if (key.down && alt && (plain == XK_Return || plain == XK_KP_Enter)) return true;
  const bool system = key.down && (alt || plain == XK_F10);
  const KeyMessageData message{system ? KeyMessage::SYSTEM_DOWN : key.down ? KeyMessage::DOWN : KeyMessage::UP,
                               scan_code,
                               state,
                               static_cast<int>(plain),
                               character <= 255 ? static_cast<int>(character) : 0,
                               1,
                               was_down,
                               plain == XK_F10 || plain == XK_Alt_L || plain == XK_Alt_R};
  if (handle_key_message(message, own_character) || !key.down || system || character == 0) return false;
  handle_char_message(character < 128 ? static_cast<int>(character) : unicode_to_cp437(character), 1);
  return false;
}

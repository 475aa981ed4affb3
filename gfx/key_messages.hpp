#pragma once
// Keyboard messages of the window turned into key codes in the key buffer and key events.
// Runs on the presentation thread, which holds the driver lock.
#include <cstdint>

#include "runtime/key_translate.hpp"

enum class KeyMessage { DOWN, UP, SYSTEM_DOWN };

// What the window system tells of one key message.
struct KeyMessageData {
  KeyMessage message;
  int scan_code;       // PC set-1 scan code
  uint32_t state;      // key state mask, key_state::ENHANCED included
  int virtual_key;     // the window system's key number, as own_character reads it
  int character;       // the character the key gives now (one byte), 0 for none
  int repeat_count;
  bool was_down;       // an auto-repeat
  bool skips_default;  // F10 or the Alt key itself
};

// Pushes an extended key's code for a key-down (once per repeat) and posts the key event.
// Returns true when the window must stop handling the message here: F10, Alt, or a key that
// translates to the close request (Alt+F4), which neither pushes nor posts anything.
bool handle_key_message(const KeyMessageData& key, OwnCharacterLookup own_character);

// Pushes a typed character, already in code page 437 (0 when it has no code there), once
// per repeat.
void handle_char_message(int value, int repeat_count);

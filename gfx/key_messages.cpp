#include "gfx/key_messages.hpp"

#include "gfx/event_queue.hpp"
#include "gfx/key_buffer.hpp"
#include "runtime/key_code.hpp"

bool handle_key_message(const KeyMessageData& key, OwnCharacterLookup own_character) {
  const int32_t code =
      translate_key(key.character, key.scan_code, key.virtual_key, key.state, own_character);
  if (key.message == KeyMessage::DOWN && code > 255) {
    for (int i = 0; i < key.repeat_count; ++i) key_push(code);
  }
  if (key.skips_default || code == KEY_WINDOW_CLOSE) return true;
  const GfxEventType type = key.message != KeyMessage::DOWN ? EVENT_KEY_RELEASED
                            : key.was_down                   ? EVENT_KEY_REPEATED
                                                             : EVENT_KEY_PRESSED;
  post_event(type, key.scan_code, code >= 0 && code < 256 ? code : 0);
  return false;
}

void handle_char_message(int value, int repeat_count) {
  for (int i = 0; i < repeat_count; ++i) key_push(value);
}

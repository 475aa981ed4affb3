// The key statements of the text console, on whatever input the platform's console offers.
#include "runtime/console_input.hpp"
#include "runtime/key_code.hpp"
#include "runtime/key_ring.hpp"
#include "runtime/keyed_sleep.hpp"

namespace {

struct ConsoleKeys {
  KeyRing<512> ring;
  bool close_pushed;  // the end of input has been reported
};

ConsoleKeys keys;

}  // namespace

void console_key_push(int32_t code) { keys.ring.push(code); }

void console_push_end_of_input() {
  if (!keys.close_pushed) console_key_push(KEY_WINDOW_CLOSE);
  keys.close_pushed = true;
}

int32_t console_key_read(bool extended, bool take) {
  console_poll_input();
  return keys.ring.read(extended, take, console_poll_input);
}

bool console_take_key_arrived() {
  console_poll_input();
  const bool arrived = keys.ring.take_key_arrived();
  return console_stream_ended() || arrived;
}

int32_t console_input_ended() {
  console_poll_input();
  return console_stream_ended() ? 1 : 0;
}

int32_t console_key_hit() { return console_key_read(true, false) != -1 ? 1 : 0; }

int32_t console_inkey_code() { return console_key_read(true, true); }

int32_t console_getkey() {
  for (;;) {
    const int32_t code = console_key_read(true, true);
    if (code != -1) return code;
    if (console_input_ended()) return KEY_WINDOW_CLOSE;
    console_sleep(-1);
  }
}

void console_sleep(int32_t milliseconds) {
  keyed_sleep(milliseconds, console_take_key_arrived, true);
}

// The key statements of the text console, on whatever input the platform's console offers.
#include "runtime/console_input.hpp"
#include "runtime/key_code.hpp"
#include "runtime/keyed_sleep.hpp"

int32_t console_key_hit() { return console_key_read(1, 0) != -1 ? 1 : 0; }

int32_t console_inkey_code() { return console_key_read(1, 1); }

int32_t console_getkey() {
  for (;;) {
    const int32_t code = console_key_read(1, 1);
    if (code != -1) return code;
    if (console_input_ended()) return KEY_WINDOW_CLOSE;
    console_sleep(-1);
  }
}

void console_sleep(int32_t milliseconds) {
  keyed_sleep(milliseconds, console_take_key_arrived, true);
}

// A page has no standard input: the text console's input has ended before it begins. A line
// reads as empty, and the end counts as one close request, as at the end of a pipe.
#include "runtime/console_input.hpp"
#include "runtime/key_code.hpp"
#include "runtime/key_ring.hpp"

namespace {

KeyRing<512> keys;
bool close_pushed = false;

}  // namespace

bool console_edits_lines() { return false; }

std::string console_read_line() { return {}; }

void console_key_push(int32_t code) { keys.push(code); }

void console_poll_input() {
  if (!close_pushed) console_key_push(KEY_WINDOW_CLOSE);
  close_pushed = true;
}

int32_t console_key_read(int32_t extended, int32_t take) {
  console_poll_input();
  return keys.read(extended, take, console_poll_input);
}

int32_t console_take_key_arrived() {
  console_poll_input();
  keys.take_key_arrived();
  return 1;
}

int32_t console_input_ended() { return 1; }

void console_ctrl_handler(int) {}

#include "runtime/console_input.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "gfx/key_code.hpp"
#include "runtime/keyed_sleep.hpp"
#include "runtime/terminal.hpp"

namespace {

constexpr int kEndOfInput = -2;
constexpr int kNoByteYet = -1;

// Standard input, read in blocks; the line reader and the key poll share what is left over.
struct InputBytes {
  uint8_t block[4096];
  ssize_t start = 0;
  ssize_t end = 0;
  bool ended = false;
};

InputBytes input;

// The next byte of standard input, waiting up to timeout_ms (-1: without limit).
int next_input_byte(int timeout_ms) {
  if (input.start == input.end) {
    if (input.ended) return kEndOfInput;
    struct pollfd ready {STDIN_FILENO, POLLIN, 0};
    const int polled = poll(&ready, 1, timeout_ms);
    if (polled == 0 || (polled < 0 && errno == EINTR)) return kNoByteYet;
    const ssize_t count = polled < 0 ? -1 : read(STDIN_FILENO, input.block, sizeof input.block);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return kNoByteYet;
    if (count <= 0) {
      input.ended = true;
      return kEndOfInput;
    }
    input.start = 0;
    input.end = count;
  }
  return input.block[input.start++];
}

constexpr int kConsoleKeySlots = 512;

struct ConsoleKeyBuffer {
  int32_t codes[kConsoleKeySlots];
  int64_t read_index;
  int64_t write_index;
  int32_t key_arrived;
  bool close_pushed;  // the end of input has been reported
};

ConsoleKeyBuffer keys;

}  // namespace

std::string console_read_line() {
  terminal_line_mode();
  std::string line;
  for (;;) {
    const int b = next_input_byte(-1);
    if (b == kNoByteYet) continue;
    if (b == kEndOfInput || b == '\n') break;
    line += static_cast<char>(b);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void console_key_push(int32_t code) {
  keys.codes[keys.write_index] = code;
  const int64_t next = (keys.write_index + 1) % kConsoleKeySlots;
  if (next == keys.read_index) keys.read_index = (next + 1) % kConsoleKeySlots;
  keys.write_index = next;
  keys.key_arrived = 1;
}

void console_poll_input() {
  terminal_key_mode();
  for (;;) {
    const int b = next_input_byte(0);
    if (b == kNoByteYet) return;
    if (b == kEndOfInput) {
      if (!keys.close_pushed) console_key_push(KEY_WINDOW_CLOSE);
      keys.close_pushed = true;
      return;
    }
    console_key_push(b);
  }
}

int32_t console_take_key_arrived() {
  console_poll_input();
  const int32_t arrived = keys.key_arrived;
  keys.key_arrived = 0;
  return arrived;
}

void console_sleep(int32_t milliseconds) {
  keyed_sleep(milliseconds, console_take_key_arrived, true);
}

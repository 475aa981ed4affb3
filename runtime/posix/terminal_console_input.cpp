#include "runtime/console_input.hpp"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <initializer_list>

#include "runtime/console_stream.hpp"
#include "runtime/exit_actions.hpp"
#include "runtime/key_code.hpp"
#include "runtime/key_ring.hpp"
#include "runtime/posix/terminal.hpp"
#include "runtime/posix/terminal_keys.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEndOfInput = -2;
constexpr int kNoByteYet = -1;
// Quiet time after which a begun escape sequence is taken as complete (a lone ESC is Esc):
// long enough for a sequence split by a slow link (ssh), short enough for Esc to feel prompt.
constexpr auto kSequenceQuiet = std::chrono::milliseconds(100);

StreamBlock input;

// Set by the signal handler, turned into a close request by the next poll.
volatile sig_atomic_t close_signalled = 0;

// The next byte of standard input, waiting up to timeout_ms (-1: without limit).
int next_input_byte(int timeout_ms) {
  if (input.start == input.end) {
    if (input.ended) return kEndOfInput;
    struct pollfd ready {STDIN_FILENO, POLLIN, 0};
    const int polled = poll(&ready, 1, timeout_ms);
    if (polled == 0 || (polled < 0 && errno == EINTR)) return kNoByteYet;
    const ssize_t count = polled < 0 ? -1 : read(STDIN_FILENO, input.bytes, sizeof input.bytes);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return kNoByteYet;
    if (count <= 0) {
      input.ended = true;  // end of the stream, or a terminal that went away (EIO)
      return kEndOfInput;
    }
    input.start = 0;
    input.end = static_cast<size_t>(count);
  }
  return input.bytes[input.start++];
}

KeyRing<512> keys;
bool close_pushed = false;  // the end of input has been reported

struct KeyDecoding {
  TerminalKeyDecoder decoder;
  Clock::time_point last_byte;
};

KeyDecoding decoding;

void push_decoded(const TerminalKeys& decoded) {
  for (int i = 0; i < decoded.count; ++i) {
    const int32_t code = terminal_key_code(decoded.events[i]);
    if (code != -1) console_key_push(code);
  }
}

// A begun sequence that went quiet is complete, even when the next byte is already there:
// the key poll may come later than the quiet time.
void expire_quiet_sequence(Clock::time_point now) {
  if (terminal_keys_pending(decoding.decoder) && now - decoding.last_byte >= kSequenceQuiet) {
    push_decoded(terminal_keys_expire(decoding.decoder));
  }
}

void take_terminal_byte(uint8_t b) {
  const Clock::time_point now = Clock::now();
  expire_quiet_sequence(now);
  decoding.last_byte = now;
  push_decoded(terminal_keys_feed(decoding.decoder, b));
}

void restore_default_signals() {
  for (int s : {SIGHUP, SIGTERM}) ::signal(s, SIG_DFL);
}

// The first poll takes over the hang-up and termination signals, until the program exits.
void install_ctrl_handler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  decoding.decoder.utf8 = terminal_is_utf8();
  for (int s : {SIGHUP, SIGTERM}) {
    struct sigaction action {};
    action.sa_handler = console_ctrl_handler;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
  at_program_exit(ExitStage::CONSOLE_HANDLERS, restore_default_signals);
}

void report_end_of_input() {
  input.ended = true;
  if (!close_pushed) console_key_push(KEY_WINDOW_CLOSE);
  close_pushed = true;
}

}  // namespace

bool console_edits_lines() { return terminal_input_is_tty() && terminal_output_is_tty(); }

std::string console_read_line() {
  terminal_line_mode();
  std::string line;
  for (;;) {
    const int b = next_input_byte(-1);
    if (b == kNoByteYet) continue;
    if (b == kEndOfInput || b == '\n') break;
    if (line.size() < kLineKept) line += static_cast<char>(b);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void console_key_push(int32_t code) { keys.push(code); }

void console_ctrl_handler(int) { close_signalled = 1; }

void console_poll_input() {
  install_ctrl_handler();
  terminal_key_mode();
  console_redraw_after_stop();
  const bool terminal = terminal_input_is_tty();
  for (int taken = 0; taken < kPollBytes; ++taken) {
    const int b = next_input_byte(0);
    if (b == kNoByteYet) break;
    if (b == kEndOfInput) {
      report_end_of_input();
      break;
    }
    if (terminal) {
      take_terminal_byte(static_cast<uint8_t>(b));
    } else {
      console_key_push(b);
    }
  }
  if (input.ended && terminal_keys_pending(decoding.decoder)) {
    push_decoded(terminal_keys_expire(decoding.decoder));
  }
  expire_quiet_sequence(Clock::now());
  if (close_signalled) report_end_of_input();
}

int32_t console_key_read(int32_t extended, int32_t take) {
  console_poll_input();
  return keys.read(extended, take, console_poll_input);
}

int32_t console_take_key_arrived() {
  console_poll_input();
  const int32_t arrived = keys.take_key_arrived();
  return input.ended ? 1 : arrived;
}

int32_t console_input_ended() {
  console_poll_input();
  return input.ended ? 1 : 0;
}

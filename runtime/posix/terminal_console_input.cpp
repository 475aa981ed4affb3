#include "runtime/console_input.hpp"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <initializer_list>

#include "runtime/console_stream.hpp"
#include "runtime/exit_actions.hpp"
#include "runtime/posix/terminal.hpp"
#include "runtime/posix/terminal_keys.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEndOfInput = -2;
constexpr int kNoByteYet = -1;
// Quiet time after which a begun escape sequence is taken as complete (a lone ESC is Esc):
// long enough for a sequence split by a slow link (ssh), short enough for Esc to feel prompt.
constexpr auto kSequenceQuiet = std::chrono::milliseconds(100);

// Standard input as the text console takes it.
struct TerminalInput {
  StreamBlock stream;            // the bytes read and not yet taken
  TerminalKeyDecoder decoder;    // a terminal's keys, decoded from those bytes
  Clock::time_point last_byte;   // when the decoder took its last byte
  // Set by the signal handler, turned into a close request by the next poll.
  volatile sig_atomic_t close_signalled;
};

TerminalInput input;

// The next byte of standard input, waiting up to timeout_ms (-1: without limit).
int next_input_byte(int timeout_ms) {
  if (input.stream.start == input.stream.end) {
    if (input.stream.ended) return kEndOfInput;
    struct pollfd ready {STDIN_FILENO, POLLIN, 0};
    const int polled = poll(&ready, 1, timeout_ms);
    if (polled == 0 || (polled < 0 && errno == EINTR)) return kNoByteYet;
    const ssize_t count = polled < 0 ? -1 : read(STDIN_FILENO, input.stream.bytes, sizeof input.stream.bytes);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return kNoByteYet;
    if (count <= 0) {
      input.stream.ended = true;  // end of the stream, or a terminal that went away (EIO)
      return kEndOfInput;
    }
    input.stream.start = 0;
    input.stream.end = static_cast<size_t>(count);
  }
  return input.stream.bytes[input.stream.start++];
}

void push_decoded(const TerminalKeys& decoded) {
  for (int i = 0; i < decoded.count; ++i) {
    const int32_t code = terminal_key_code(decoded.events[i]);
    if (code != -1) console_key_push(code);
  }
}

// A begun sequence that went quiet is complete, even when the next byte is already there:
// the key poll may come later than the quiet time.
void expire_quiet_sequence(Clock::time_point now) {
  if (terminal_keys_pending(input.decoder) && now - input.last_byte >= kSequenceQuiet) {
    push_decoded(terminal_keys_expire(input.decoder));
  }
}

void take_terminal_byte(uint8_t b) {
  const Clock::time_point now = Clock::now();
  expire_quiet_sequence(now);
  input.last_byte = now;
  push_decoded(terminal_keys_feed(input.decoder, b));
}

void restore_default_signals() {
  for (int s : {SIGHUP, SIGTERM}) ::signal(s, SIG_DFL);
}

// The first poll takes over the hang-up and termination signals, until the program exits.
void install_ctrl_handler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  input.decoder.utf8 = terminal_is_utf8();
  for (int s : {SIGHUP, SIGTERM}) {
    struct sigaction action {};
    action.sa_handler = console_ctrl_handler;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
  at_program_exit(ExitStage::CONSOLE_HANDLERS, restore_default_signals);
}

void report_end_of_input() {
  input.stream.ended = true;
  console_push_end_of_input();
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

void console_ctrl_handler(int) { input.close_signalled = 1; }

void console_poll_input() {
  install_ctrl_handler();
  terminal_key_mode();
  console_redraw_if_changed();
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
  if (input.stream.ended && terminal_keys_pending(input.decoder)) {
    push_decoded(terminal_keys_expire(input.decoder));
  }
  expire_quiet_sequence(Clock::now());
  if (input.close_signalled) report_end_of_input();
}

bool console_stream_ended() { return input.stream.ended; }

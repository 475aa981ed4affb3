#include "runtime/posix/terminal.hpp"

#include "runtime/console_stream.hpp"
#include "runtime/exit_actions.hpp"
#include "runtime/platform.hpp"
#include "runtime/program_name.hpp"

#include <langinfo.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

// Resets the colours; written when the program leaves the terminal.
constexpr char kLeaveSequence[] = "\x1b[0m";
// The cursor keys and the keypad in application mode while keys are read (so that every
// terminal sends Delete as ESC [ 3 ~, and Ctrl+Delete as no mouse report), and back in normal
// mode whenever the program leaves the terminal.
constexpr char kKeypadOn[] = "\x1b[?1h\x1b=";
constexpr char kKeypadOff[] = "\x1b[?1l\x1b>";

struct TerminalModes {
  bool saved;             // original holds the modes found at the first change
  bool changed;           // the modes differ from the original now
  bool colors_changed;    // colours were chosen: they need resetting at exit
  bool keypad_on;         // the keypad is in application mode
  struct termios original;
};

TerminalModes modes;

// Set when the program continues after a stop; the console then draws its screen again.
volatile sig_atomic_t resumed = 0;
volatile sig_atomic_t resized = 0;

}  // namespace

void terminal_restore() {
  if (modes.changed) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &modes.original);
    modes.changed = false;
  }
  if (modes.keypad_on) {
    [[maybe_unused]] ssize_t ignored = write(STDOUT_FILENO, kKeypadOff, sizeof kKeypadOff - 1);
    modes.keypad_on = false;
  }
  if (modes.colors_changed) {
    [[maybe_unused]] ssize_t ignored = write(STDOUT_FILENO, kLeaveSequence,
                                             sizeof kLeaveSequence - 1);
    modes.colors_changed = false;
  }
}

void fatal_exit(const char* message) {
  terminal_restore();
  [[maybe_unused]] ssize_t written = write(STDERR_FILENO, message, std::strlen(message));
  _exit(1);
}

namespace {

// Whether the write failed because standard output is a terminal that has gone away (closed,
// hung up): standard error is then usually the same dead terminal.
bool output_hung_up(int error) {
  struct pollfd out {STDOUT_FILENO, POLLOUT, 0};
  return error == EIO && poll(&out, 1, 0) == 1 && (out.revents & POLLHUP) != 0;
}

// Output that cannot be written ends the program rather than pass for success. A reader that
// went away is the exception: that ends the program by SIGPIPE, or, with SIGPIPE ignored, the
// output is dropped. A terminal that hung up is a close request nobody is left to see: the
// program ends with 0 and writes nothing more.
void output_failed(int error) {
  if (error == EPIPE) return;
  if (output_hung_up(error)) {
    terminal_restore();
    _exit(0);
  }
  fatal_exit(output_failure_message(program_name(), std::strerror(error)).c_str());
}

void leave_on_signal(int signal_number) {
  terminal_restore();
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// Ctrl+Z: the shell gets its terminal back as it was; on continuing, the next key poll or
// write takes the terminal again and draws the screen anew.
void stop_on_signal(int signal_number) {
  const int saved_errno = errno;
  terminal_restore();
  ::signal(signal_number, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
  raise(signal_number);  // stops here until continued
  ::signal(signal_number, stop_on_signal);
  resumed = 1;
  errno = saved_errno;
}

// A resized terminal: the next key poll or write draws the screen again at the new size.
void note_resize(int) { resized = 1; }

void take_signal(int signal_number, void (*handler)(int), int flags = 0) {
  struct sigaction action {};
  sigaction(signal_number, nullptr, &action);
  if (action.sa_handler != SIG_DFL) return;  // ignored, or taken over by the console
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

// The first change of the terminal arranges its restoration at exit, on ending signals (an
// abort, from an uncaught exception or a failed check, among them) and while the program is
// stopped.
void arrange_restore() {
  static bool arranged = false;
  if (arranged) return;
  arranged = true;
  at_program_exit(ExitStage::TERMINAL, terminal_restore);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT}) take_signal(s, leave_on_signal);
  take_signal(SIGTSTP, stop_on_signal);
  take_signal(SIGWINCH, note_resize, SA_RESTART);
}

// TERM=dumb: a terminal that takes no escape sequences, written to as a stream.
bool dumb_terminal() {
  const char* term = std::getenv("TERM");
  return term != nullptr && std::strcmp(term, "dumb") == 0;
}

void set_modes(bool key_mode) {
  if (!terminal_input_is_tty()) return;
  if (!modes.saved) {
    if (tcgetattr(STDIN_FILENO, &modes.original) != 0) return;
    modes.saved = true;
  }
  arrange_restore();
  struct termios wanted = modes.original;
  if (key_mode) {
    // Enter arrives as CR, and Ctrl+S and Ctrl+Q arrive as keys; Ctrl+C still interrupts.
    wanted.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    wanted.c_iflag &= static_cast<tcflag_t>(~(ICRNL | IXON));
    wanted.c_cc[VMIN] = 0;
    wanted.c_cc[VTIME] = 0;
  }
  tcsetattr(STDIN_FILENO, TCSADRAIN, &wanted);
  modes.changed = key_mode;
  if (key_mode != modes.keypad_on && terminal_output_is_tty()) {
    modes.keypad_on = key_mode;
    if (key_mode) terminal_write(kKeypadOn, sizeof kKeypadOn - 1);
    else terminal_write(kKeypadOff, sizeof kKeypadOff - 1);
  }
}

}  // namespace

bool terminal_output_is_tty() {
  static const bool tty = isatty(STDOUT_FILENO) == 1 && !dumb_terminal();
  return tty;
}

bool terminal_input_is_tty() {
  static const bool tty = isatty(STDIN_FILENO) == 1;
  return tty;
}

TerminalSize terminal_size() {
  if (!terminal_output_is_tty()) return {0, 0};
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
    return {80, 24};
  }
  return {size.ws_col, size.ws_row};
}

bool terminal_is_utf8() {
  static const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  return utf8;
}

void terminal_colors_changed() {
  if (modes.colors_changed || !terminal_output_is_tty()) return;
  modes.colors_changed = true;
  arrange_restore();
}

bool terminal_take_resumed() {
  if (!resumed) return false;
  resumed = 0;
  return true;
}

bool terminal_take_resized() {
  if (!resized) return false;
  resized = 0;
  return true;
}

void terminal_write(const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t written = write(STDOUT_FILENO, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) return output_failed(errno);
      struct pollfd ready {STDOUT_FILENO, POLLOUT, 0};
      poll(&ready, 1, -1);
      continue;
    }
    bytes += written;
    count -= static_cast<size_t>(written);
  }
}

void terminal_key_mode() { set_modes(true); }

void terminal_line_mode() { set_modes(false); }

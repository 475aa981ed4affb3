#include "runtime/console_input.hpp"
#include "runtime/console_stream.hpp"
#include "runtime/exit_actions.hpp"
#include "runtime/key_code.hpp"
#include "runtime/key_translate.hpp"
#include "runtime/win32/win32_console.hpp"
#include "runtime/win32/win32_keyboard.hpp"

#include <atomic>

namespace {

constexpr DWORD kStateBits = key_state::RIGHT_ALT | key_state::LEFT_ALT | key_state::RIGHT_CTRL |
                             key_state::LEFT_CTRL | key_state::SHIFT | key_state::ENHANCED;
constexpr DWORD kAltBits = key_state::RIGHT_ALT | key_state::LEFT_ALT;
constexpr DWORD kCtrlShiftBits = key_state::RIGHT_CTRL | key_state::LEFT_CTRL | key_state::SHIFT;

ConsoleHandles handles;
bool handles_fetched = false;

StreamBlock stream;

int32_t alt_numpad_code = 0;  // the character being typed as Alt + keypad digits

// Set by the control handler's thread; the next poll turns it into a close request.
std::atomic<bool> close_requested{false};

BOOL WINAPI control_routine(DWORD event) {
  if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
    return FALSE;  // Ctrl+C and Ctrl+Break end the program the usual way
  }
  console_ctrl_handler(static_cast<int>(event));
  return TRUE;
}

void remove_control_routine() { SetConsoleCtrlHandler(control_routine, FALSE); }

// The first poll registers the control handler, removed again at exit.
void install_ctrl_handler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SetConsoleCtrlHandler(control_routine, TRUE);
  at_program_exit(ExitStage::CONSOLE_HANDLERS, remove_control_routine);
}

// Bytes waiting in a pipe; a file or a character device always has its next read ready.
bool stream_ready() {
  const HANDLE in = console_handles().input;
  if (GetFileType(in) != FILE_TYPE_PIPE) return true;
  DWORD available = 0;
  if (!PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr)) return true;  // broken: read ends
  return available > 0;
}

// The next byte of a stream; -1 when none waits (and wait is false) or the stream has ended.
int next_stream_byte(bool wait) {
  if (stream.start == stream.end) {
    if (stream.ended || (!wait && !stream_ready())) return -1;
    DWORD count = 0;
    if (!ReadFile(console_handles().input, stream.bytes, sizeof stream.bytes, &count, nullptr) ||
        count == 0) {
      stream.ended = true;
      return -1;
    }
    stream.start = 0;
    stream.end = count;
  }
  return stream.bytes[stream.start++];
}

void report_end_of_input() {
  stream.ended = true;
  console_push_end_of_input();
}

void push_composed(int32_t code) {
  alt_numpad_code = 0;
  console_key_push(code);
}

// One key event: translated keys are pushed; Alt with keypad digits composes a character
// that the release of Alt pushes.
void key_event_step(const KEY_EVENT_RECORD& e) {
  const DWORD state = e.dwControlKeyState & kStateBits;
  // Some consoles (Wine's) report Esc without its character.
  const bool bare_escape = e.wVirtualKeyCode == VK_ESCAPE && e.uChar.AsciiChar == 0;
  const int character = bare_escape ? 27 : static_cast<uint8_t>(e.uChar.AsciiChar);
  const int32_t code =
      e.bKeyDown ? translate_key(character, e.wVirtualScanCode, e.wVirtualKeyCode, state, win32_own_character)
                 : -1;
  if ((state & kAltBits) && !(state & kCtrlShiftBits)) {
    const bool keypad_digit = e.wVirtualKeyCode >= VK_NUMPAD0 && e.wVirtualKeyCode <= VK_NUMPAD9;
    if (keypad_digit) {
      if (e.bKeyDown) alt_numpad_code = alt_numpad_code * 10 + (e.wVirtualKeyCode - VK_NUMPAD0);
      if (code != -1) console_key_push(code);
    } else if (code != -1) {
      push_composed(code);
    }
    return;
  }
  if (code != -1) {
    push_composed(code);
  } else if (alt_numpad_code != 0) {
    push_composed(alt_numpad_code & 0xFF);
  }
}

void poll_console_events() {
  const HANDLE in = console_handles().input;
  // The input handle is signalled while events wait; testing it without waiting also makes a
  // console on a Unix terminal take in what was typed.
  while (WaitForSingleObject(in, 0) == WAIT_OBJECT_0) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(in, &record, 1, &read) || read == 0) return;
    if (record.EventType != KEY_EVENT) continue;
    const KEY_EVENT_RECORD& e = record.Event.KeyEvent;
    const int repeats = e.bKeyDown ? e.wRepeatCount : 1;
    for (int i = 0; i < repeats; ++i) key_event_step(e);
  }
}

// Whether standard input is a console (and not a pipe or a file).
bool console_input_is_console() {
  DWORD mode = 0;
  return GetConsoleMode(console_handles().input, &mode) != 0;
}

}  // namespace

ConsoleHandles& console_handles() {
  if (!handles_fetched) {
    handles_fetched = true;
    handles = ConsoleHandles{};
    handles.input = GetStdHandle(STD_INPUT_HANDLE);
    handles.output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handles.input != nullptr && GetConsoleMode(handles.input, &mode)) {
      SetConsoleMode(handles.input, mode | ENABLE_PROCESSED_INPUT);
    }
    handles.pages[0] = handles.output;
  }
  return handles;
}

HANDLE console_output_buffer() {
  ConsoleHandles& h = console_handles();
  return h.pages[h.active_page];
}

bool console_edits_lines() {
  DWORD mode = 0;
  return console_input_is_console() && GetConsoleMode(console_handles().output, &mode) != 0;
}

std::string console_read_line() {
  std::string line;
  for (int b; (b = next_stream_byte(true)) != -1 && b != '\n';) {
    if (line.size() < kLineKept) line += static_cast<char>(b);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void console_ctrl_handler(int) { close_requested = true; }

void console_poll_input() {
  install_ctrl_handler();
  if (console_input_is_console()) {
    poll_console_events();
  } else {
    for (int taken = 0, b; taken < kPollBytes && (b = next_stream_byte(false)) != -1; ++taken) {
      console_key_push(b);
    }
    if (stream.ended) report_end_of_input();
  }
  if (close_requested.exchange(false)) console_key_push(KEY_WINDOW_CLOSE);
}

bool console_stream_ended() { return stream.ended; }

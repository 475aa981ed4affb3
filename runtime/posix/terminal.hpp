#pragma once
// The process's terminal: whether standard input and output are terminals, the terminal's
// size, its modes and the writing of bytes. The terminal is left at exit, and on the signals
// that end the program, in the modes and colours it was found in.
#include <cstddef>
#include <cstdint>

struct TerminalSize {
  int32_t columns;
  int32_t rows;
};

// Standard output is a terminal that takes escape sequences (TERM=dumb counts as a stream).
bool terminal_output_is_tty();
bool terminal_input_is_tty();

// The output terminal's size; {0, 0} when standard output is not a terminal.
TerminalSize terminal_size();

// Whether the terminal takes UTF-8 (from the locale's character set).
bool terminal_is_utf8();

// Writes all bytes to standard output, retrying after interruptions and short writes.
void terminal_write(const char* bytes, size_t count);

// Key mode: input without line editing and without echo, signals kept, reads never blocking.
// Line mode: the terminal's own line editing and echo, as it was found.
void terminal_key_mode();
void terminal_line_mode();

// The console has chosen colours: the terminal's default ones are set again when the program
// leaves it.
void terminal_colors_changed();

// Whether the program continued after a stop since the last call.
bool terminal_take_resumed();

// Whether the terminal was resized since the last call.
bool terminal_take_resized();

// Puts back the modes and colours the terminal was found in. Safe in a signal handler, and
// for a program that must end at once, without its exit-time actions.
void terminal_restore();

// After the program was stopped (Ctrl+Z) and continued, or the terminal was resized, the
// terminal's text console draws the screen again as it last drew it, at the size the terminal
// has now; nothing otherwise.
void console_redraw_if_changed();

#include "runtime/text_console.hpp"

#include <cstdio>
#include <string>

#include "console/text_view.hpp"
#include "runtime/cp437.hpp"
#include "runtime/terminal.hpp"

namespace {

// Width used for print zones when the output is not a terminal.
constexpr int32_t kStreamWidth = 80;

struct TextConsole {
  ConsoleViewRange view_range{-1, -1};
  bool pending_newline = false;  // the last write filled the last cell of the view
  int32_t foreground = 7;
  int32_t background = 0;
  bool colors_chosen = false;    // false: the terminal's own default colours
  int32_t column = 0;            // the cursor, as this console last placed it
  int32_t row = 0;
  std::string out;               // escape sequences and text of the current operation
};

TextConsole console;

// Console colour indices carry blue in bit 0 and red in bit 2; terminal colours the reverse.
int ansi_color(int32_t index) {
  const int rgb = ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2);
  return (index & 8) ? 60 + rgb : rgb;
}

void append_colors() {
  if (!console.colors_chosen) {
    console.out += "\x1b[0m";
    return;
  }
  char sgr[32];
  std::snprintf(sgr, sizeof sgr, "\x1b[0;%d;%dm", 30 + ansi_color(console.foreground),
                40 + ansi_color(console.background));
  console.out += sgr;
}

void append_cursor(int32_t column, int32_t row) {
  char cup[32];
  std::snprintf(cup, sizeof cup, "\x1b[%d;%dH", row + 1, column + 1);
  console.out += cup;
}

void append_blank_row(int32_t row) {
  append_cursor(0, row);
  console.out += "\x1b[2K";
}

void flush_out() {
  terminal_write(console.out.data(), console.out.size());
  console.out.clear();
}

// Resolves the view range against the window's height, storing it on first use.
ConsoleViewRange resolved_view(int32_t height) {
  ConsoleViewRange& range = console.view_range;
  if (range.first == -1) range.first = 0;
  if (range.last == -1) range.last = (height > 0 ? height : 25) - 1;
  return range;
}

void tone(TextView&) { console.out += '\a'; }

int draw_run(TextView& view, const uint8_t* bytes, int32_t count) {
  append_cursor(view.column, view.row);
  const bool utf8 = terminal_is_utf8();
  for (int32_t i = 0; i < count; ++i) {
    char encoded[4];
    const uint8_t b = bytes[i];
    if (utf8) {
      console.out.append(encoded, encode_utf8(cp437_to_unicode(b), encoded));
    } else {
      console.out += (b < 32 || b == 127) ? ' ' : static_cast<char>(b);
    }
  }
  return 1;
}

// The terminal scrolls its rows itself: line feeds on the view's last row, inside a scroll
// region when the view is narrower than the window; the new rows are blanked in the colours.
void scroll(TextView& view, int32_t, int32_t top, int32_t, int32_t bottom, int32_t lines) {
  const int32_t rows = bottom - top + 1;
  const bool partial = top != 0 || bottom != terminal_size().rows - 1;
  const int32_t count = lines < rows ? lines : rows;
  if (partial) {
    char region[32];
    std::snprintf(region, sizeof region, "\x1b[%d;%dr", top + 1, bottom + 1);
    console.out += region;
  }
  append_cursor(0, bottom);
  console.out.append(static_cast<size_t>(count), '\n');
  if (partial) console.out += "\x1b[r";
  for (int32_t r = bottom - count + 1; r <= bottom; ++r) append_blank_row(r);
  view.row = bottom;
}

}  // namespace

ConsoleViewRange& console_view_range() { return console.view_range; }

void console_clear(uint32_t mode) {
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1 || mode == 1) return;
  // The program owns the terminal from its first clear: keys typed from then on wait unechoed
  // for the line editor instead of being echoed by the terminal in between.
  if (terminal_input_is_tty()) terminal_key_mode();
  int32_t first = 0;
  int32_t last = size.rows - 1;
  if (mode == 2 || mode == CLEAR_DEFAULT) {
    const ConsoleViewRange view = resolved_view(size.rows);
    first = view.first;
    last = view.last;
  }
  append_colors();
  for (int32_t r = last; r >= first; --r) append_blank_row(r);
  append_cursor(0, first);
  flush_out();
  console.column = 0;
  console.row = first;
  console.pending_newline = false;
}

uint32_t console_color(int32_t foreground, int32_t background, int32_t flags) {
  const uint32_t previous = static_cast<uint32_t>(console.foreground) +
                            static_cast<uint32_t>(console.background) * 65536u;
  if (!(flags & 1)) console.foreground = foreground & 15;
  if (!(flags & 2)) console.background = background & 15;
  console.colors_chosen = true;
  return previous;
}

void console_write(const uint8_t* bytes, uint64_t length, int32_t flags) {
  if (length == 0 && !(flags & CONSOLE_WRITE_FORCE)) return;
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1) {
    terminal_write(reinterpret_cast<const char*>(bytes), length);
    return;
  }
  const ConsoleViewRange range = resolved_view(size.rows);
  TextView view{&console, scroll, draw_run, tone, 0, range.first, size.columns - 1, range.last,
                console.column, console.row};
  if (view.column > view.right) view.column = view.right;  // the terminal has narrowed
  if (view.row > view.bottom) view.row = view.bottom;
  append_colors();
  if (console.pending_newline) {
    console.pending_newline = false;
    view.column = view.left;
    ++view.row;
    if (view.row > view.bottom) scroll(view, view.left, view.top, view.right, view.bottom, 1);
  }
  text_view_write(view, bytes, length);
  if (view.column == view.left && view.row == view.bottom + 1) {
    console.pending_newline = true;
    view.row = view.bottom;
    view.column = view.right;
  } else if (view.row > view.bottom) {
    scroll(view, view.left, view.top, view.right, view.bottom, view.row - view.bottom);
  }
  append_cursor(view.column, view.row);
  flush_out();
  console.column = view.column;
  console.row = view.row;
}

void console_locate(int32_t row, int32_t column) {
  console.pending_newline = false;
  if (column >= 1) console.column = column - 1;
  if (row >= 1) console.row = row - 1;
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1) return;
  append_cursor(console.column, console.row);
  flush_out();
}

void console_cursor_cell(int32_t* column, int32_t* row) {
  if (column != nullptr) *column = console.column + 1;
  if (row != nullptr) *row = console.row + 1;
}

void console_text_size(int32_t* columns, int32_t* rows) {
  const TerminalSize size = terminal_size();
  const bool stream = size.columns <= 1 || size.rows <= 1;
  if (columns != nullptr) *columns = stream ? kStreamWidth : size.columns;
  if (rows != nullptr) *rows = stream ? 0 : size.rows;
}

void console_tone() {
  if (terminal_output_is_tty()) terminal_write("\a", 1);
}

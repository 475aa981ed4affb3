#include "runtime/text_console.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/cp437.hpp"
#include "runtime/posix/terminal.hpp"
#include "runtime/text_view.hpp"

namespace {

// A cell as the program last drew it: the byte, and its colours (foreground + background
// times 16), or kOwnColors for the terminal's own.
struct ShadowCell {
  uint8_t code;
  int16_t colors;
};

constexpr int16_t kOwnColors = -1;

struct TextConsole {
  ConsoleViewRange view_range{-1, -1};
  bool pending_newline = false;  // the last write filled the last cell of the view
  int32_t foreground = 7;
  int32_t background = 0;
  bool colors_chosen = false;    // false: the terminal's own colours
  int32_t column = 0;            // the cursor, as this console last placed it
  int32_t row = 0;
  std::string out;               // escape sequences and text of the current operation
  TerminalSize shadow_size{0, 0};
  std::vector<ShadowCell> shadow;  // what the terminal shows, redrawn after a stop
};

TextConsole console;

// The colours text is drawn in now: the terminal's own until the program chooses, and always
// with NO_COLOR set.
int16_t current_colors() {
  static const char* no_color = std::getenv("NO_COLOR");
  const bool colorless = no_color != nullptr && no_color[0] != '\0';
  if (!console.colors_chosen || colorless) return kOwnColors;
  return static_cast<int16_t>(console.foreground + console.background * 16);
}

ShadowCell* shadow_row(int32_t row) {
  return console.shadow.data() + static_cast<size_t>(row) * console.shadow_size.columns;
}

// Follows the terminal's size, keeping the rows up to the cursor's (a shrinking terminal
// loses its top rows first, and the cursor moves up with its row).
void fit_shadow(TerminalSize size) {
  if (size.columns == console.shadow_size.columns && size.rows == console.shadow_size.rows) return;
  std::vector<ShadowCell> fitted(static_cast<size_t>(size.columns) * size.rows, {' ', kOwnColors});
  const int32_t dropped = std::max(0, console.row - (size.rows - 1));
  const int32_t columns = std::min(size.columns, console.shadow_size.columns);
  for (int32_t r = 0; r < size.rows && r + dropped < console.shadow_size.rows; ++r) {
    std::copy_n(shadow_row(r + dropped), columns, fitted.begin() + static_cast<ptrdiff_t>(r) * size.columns);
  }
  console.shadow = std::move(fitted);
  console.shadow_size = size;
  console.row -= dropped;
}

void blank_shadow_rows(int32_t first, int32_t last) {
  for (int32_t r = std::max(first, 0); r <= last && r < console.shadow_size.rows; ++r) {
    std::fill_n(shadow_row(r), console.shadow_size.columns, ShadowCell{' ', current_colors()});
  }
}

// Console colour indices carry blue in bit 0 and red in bit 2; terminal colours the reverse.
int ansi_color(int32_t index) {
  const int rgb = ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2);
  return (index & 8) ? 60 + rgb : rgb;
}

// Selects colours for what follows; the terminal's own colours need nothing until the program
// has chosen others, after which they are the terminal's default ones.
void append_colors(int16_t colors) {
  if (colors == kOwnColors) {
    if (console.colors_chosen && current_colors() != kOwnColors) console.out += "\x1b[0m";
    return;
  }
  char sgr[32];
  std::snprintf(sgr, sizeof sgr, "\x1b[0;%d;%dm", 30 + ansi_color(colors & 15),
                40 + ansi_color(colors >> 4));
  console.out += sgr;
  terminal_colors_changed();
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

// Resolves the view range against the terminal's height now: an unset range follows the
// terminal as it is resized.
ConsoleViewRange resolved_view(int32_t height) {
  const ConsoleViewRange& range = console.view_range;
  return {range.first == -1 ? 0 : range.first,
          range.last == -1 ? (height > 0 ? height : 25) - 1 : std::min(range.last, height - 1)};
}

void tone(TextView&) { console.out += '\a'; }

void append_glyph(uint8_t b) {
  char encoded[4];
  if (terminal_is_utf8()) {
    console.out.append(encoded, encode_utf8(cp437_to_unicode(b), encoded));
  } else {
    console.out += (b < 32 || b == 127) ? ' ' : static_cast<char>(b);
  }
}

int draw_run(TextView& view, const uint8_t* bytes, int32_t count) {
  append_cursor(view.column, view.row);
  const int16_t colors = current_colors();
  const bool shadowed = view.row < console.shadow_size.rows;
  for (int32_t i = 0; i < count; ++i) {
    append_glyph(bytes[i]);
    if (shadowed && view.column + i < console.shadow_size.columns) {
      shadow_row(view.row)[view.column + i] = {bytes[i], colors};
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
  const int32_t shadow_bottom = std::min(bottom, console.shadow_size.rows - 1);
  for (int32_t r = top; r + count <= shadow_bottom; ++r) {
    std::copy_n(shadow_row(r + count), console.shadow_size.columns, shadow_row(r));
  }
  blank_shadow_rows(bottom - count + 1, bottom);
  view.row = bottom;
}

// Draws every row again as the program last drew it, and the cursor where it was.
void redraw() {
  int16_t colors = kOwnColors;
  append_colors(colors);
  for (int32_t r = 0; r < console.shadow_size.rows; ++r) {
    append_cursor(0, r);
    for (int32_t c = 0; c < console.shadow_size.columns; ++c) {
      const ShadowCell cell = shadow_row(r)[c];
      if (cell.colors != colors) append_colors(colors = cell.colors);
      append_glyph(cell.code);
    }
  }
  append_colors(current_colors());
  append_cursor(console.column, console.row);
  flush_out();
}

// A resized terminal keeps its old rows as it chooses (cut, re-wrapped, moved up), so once
// the program has drawn, a new size draws the screen again from what the program last drew,
// fitted to the new size: the picture is then the program's own on any terminal.
void follow_resize(TerminalSize size) {
  if (size.columns <= 1 || size.rows <= 1) return;
  const bool drawn = console.shadow_size.columns > 0;
  if (size.columns == console.shadow_size.columns && size.rows == console.shadow_size.rows) return;
  fit_shadow(size);
  if (drawn) redraw();
}

}  // namespace

ConsoleViewRange& console_view_range() { return console.view_range; }

void console_redraw_if_changed() {
  const bool resumed = terminal_take_resumed();
  if (!terminal_take_resized() && !resumed) return;
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1) return;
  if (!resumed) return follow_resize(size);
  fit_shadow(size);
  redraw();
}

void console_clear(uint32_t mode) {
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1 || mode == 1) return;
  fit_shadow(size);
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
  append_colors(current_colors());
  for (int32_t r = last; r >= first; --r) append_blank_row(r);
  blank_shadow_rows(first, last);
  append_cursor(0, first);
  flush_out();
  console.column = 0;
  console.row = first;
  console.pending_newline = false;
}

uint32_t console_color(int32_t foreground, int32_t background, int32_t flags) {
  const uint32_t previous =
      choose_console_colors(console.foreground, console.background, foreground, background, flags);
  console.colors_chosen = true;
  return previous;
}

void console_write(const uint8_t* bytes, uint64_t length, int32_t flags) {
  if (length == 0 && !(flags & TEXT_OUTPUT_FORCE)) return;
  const TerminalSize size = terminal_size();
  if (size.columns <= 1 || size.rows <= 1) {
    terminal_write(reinterpret_cast<const char*>(bytes), length);
    return;
  }
  console_redraw_if_changed();
  follow_resize(size);
  const ConsoleViewRange range = resolved_view(size.rows);
  TextView view{&console, scroll, draw_run, tone, 0, range.first, size.columns - 1, range.last,
                console.column, console.row};
  if (view.column > view.right) view.column = view.right;  // the terminal has narrowed
  append_colors(current_colors());
  text_view_write_owing(view, bytes, length, console.pending_newline);
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
  follow_resize(terminal_size());
  if (column != nullptr) *column = console.column + 1;
  if (row != nullptr) *row = console.row + 1;
}

void console_text_size(int32_t* columns, int32_t* rows) {
  const TerminalSize size = terminal_size();
  follow_resize(size);
  const bool stream = size.columns <= 1 || size.rows <= 1;
  if (columns != nullptr) *columns = stream ? kStreamWidth : size.columns;
  if (rows != nullptr) *rows = stream ? 0 : size.rows;
}

void console_tone() {
  if (terminal_output_is_tty()) terminal_write("\a", 1);
}

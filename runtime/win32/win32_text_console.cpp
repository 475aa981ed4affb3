#include "runtime/console_stream.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/platform.hpp"
#include "runtime/program_name.hpp"
#include "runtime/text_console.hpp"
#include "runtime/text_view.hpp"
#include "runtime/win32/win32_console.hpp"
#include "runtime/win32/win32_error_text.hpp"

#include <cstdlib>
#include <vector>

namespace {

constexpr WORD kDefaultAttribute = 7;

// The columns and the rows of the buffer that the console window shows; all 0 when there is
// no console to write to.
struct TextArea {
  bool read;
  SHORT left, right, top, bottom;
};

struct Win32TextConsole {
  ConsoleViewRange view_range{-1, -1};
  bool pending_newline = false;  // the last write filled the last cell of the view
  int32_t foreground = 7;
  int32_t background = 0;
  TextArea area{};
  std::vector<CHAR_INFO> cells;  // the run being written
};

Win32TextConsole console;

// What the view's operations need of the console while a write runs.
struct ConsoleView {
  HANDLE buffer;
  bool partial;     // the view is narrower than the console window
  COORD buffer_size;
  WORD attribute;
};

bool screen_info(CONSOLE_SCREEN_BUFFER_INFO& info) {
  return GetConsoleScreenBufferInfo(console_output_buffer(), &info) != 0;
}

void read_text_area() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  console.area = TextArea{true, 0, 0, 0, 0};
  if (!screen_info(info)) return;
  console.area.right = static_cast<SHORT>(info.dwSize.X - 1);
  console.area.top = info.srWindow.Top;
  console.area.bottom = info.srWindow.Bottom;
}

const TextArea& text_area() {
  if (!console.area.read) read_text_area();
  return console.area;
}

bool usable(const TextArea& a) { return a.left != a.right && a.top != a.bottom; }

// The view range resolved against the window's height, stored on first use.
ConsoleViewRange resolved_view(int32_t window_height) {
  ConsoleViewRange& range = console.view_range;
  if (range.first == -1) range.first = 0;
  if (range.last == -1) range.last = (window_height > 0 ? window_height : 25) - 1;
  return range;
}

void fill_row(HANDLE buffer, SHORT left, SHORT right, SHORT row, WORD attribute) {
  DWORD written = 0;
  const DWORD count = static_cast<DWORD>(right - left + 1);
  FillConsoleOutputAttribute(buffer, attribute, count, COORD{left, row}, &written);
  FillConsoleOutputCharacterA(buffer, ' ', count, COORD{left, row}, &written);
}

WORD current_attribute() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return screen_info(info) ? info.wAttributes : kDefaultAttribute;
}

int console_draw_run(TextView& view, const uint8_t* bytes, int32_t count) {
  const auto& owner = *static_cast<const ConsoleView*>(view.owner);
  console.cells.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    console.cells[static_cast<size_t>(i)].Char.AsciiChar = static_cast<CHAR>(bytes[i]);
    console.cells[static_cast<size_t>(i)].Attributes = owner.attribute;
  }
  SMALL_RECT region{static_cast<SHORT>(view.column), static_cast<SHORT>(view.row),
                    static_cast<SHORT>(view.column + count - 1), static_cast<SHORT>(view.row)};
  return WriteConsoleOutputA(owner.buffer, console.cells.data(), COORD{static_cast<SHORT>(count), 1},
                             COORD{0, 0}, &region) != 0;
}

// Moves the rows first + lines .. last of the columns left .. right up by lines rows; the
// freed rows become blank in the attribute.
void move_rows_up(const ConsoleView& owner, SHORT left, SHORT first, SHORT right, SHORT last,
                  int32_t lines) {
  const SMALL_RECT moved{left, static_cast<SHORT>(first + lines), right, last};
  CHAR_INFO fill;
  fill.Char.AsciiChar = ' ';
  fill.Attributes = owner.attribute;
  ScrollConsoleScreenBufferA(owner.buffer, &moved, nullptr, COORD{left, first}, &fill);
}

void blank_rows(const ConsoleView& owner, SHORT left, SHORT first, SHORT right, SHORT last) {
  for (SHORT r = first; r <= last; ++r) fill_row(owner.buffer, left, right, r, owner.attribute);
}

// A view as wide as the window first slides down the buffer while rows remain below it (the
// window follows at the end of the write); only then does the buffer's text move up.
void console_scroll(TextView& view, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    int32_t lines) {
  const auto& owner = *static_cast<const ConsoleView*>(view.owner);
  const auto l = static_cast<SHORT>(left), r = static_cast<SHORT>(right);
  if (owner.partial) {
    if (lines < bottom - top + 1) {
      move_rows_up(owner, l, static_cast<SHORT>(top), r, static_cast<SHORT>(bottom), lines);
    } else {
      blank_rows(owner, l, static_cast<SHORT>(top), r, static_cast<SHORT>(bottom));
    }
    view.row = bottom;
    return;
  }
  const int32_t height = owner.buffer_size.Y;
  if (bottom + 1 < height) {
    const int32_t slide = lines < height - bottom - 1 ? lines : height - bottom - 1;
    view.top += slide;
    view.bottom += slide;
    lines -= slide;
  }
  if (lines > 0 && lines < height) {
    move_rows_up(owner, 0, 0, static_cast<SHORT>(owner.buffer_size.X - 1),
                 static_cast<SHORT>(height - 1), lines);
  } else if (lines > 0) {
    blank_rows(owner, l, static_cast<SHORT>(view.top), r, static_cast<SHORT>(view.bottom));
  }
  view.row = view.bottom;
}

void console_bell(TextView&) { Beep(kToneHertz, kToneMilliseconds); }

// Output that cannot be written ends the program rather than pass for success; a reader that
// went away ends it quietly.
[[noreturn]] void output_failed(DWORD error) {
  if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA || error == ERROR_PIPE_NOT_CONNECTED) {
    std::_Exit(1);
  }
  fatal_exit(output_failure_message(program_name(), win32_error_text(error)).c_str());
}

// Passes the bytes to standard output unchanged, as often as it takes.
void write_through(const uint8_t* bytes, uint64_t length) {
  const HANDLE out = console_handles().output;
  while (length > 0) {
    const DWORD chunk = length > 0x10000000u ? 0x10000000u : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(out, bytes, chunk, &written, nullptr)) output_failed(GetLastError());
    if (written == 0) output_failed(ERROR_WRITE_FAULT);
    bytes += written;
    length -= written;
  }
}

}  // namespace

ConsoleViewRange& console_view_range() { return console.view_range; }

void console_clear(uint32_t mode) {
  const TextArea& a = text_area();
  if (!usable(a) || mode == 1) return;
  SHORT first = a.top, last = a.bottom;
  if (mode == 2 || mode == CLEAR_DEFAULT) {
    const ConsoleViewRange view = resolved_view(a.bottom - a.top + 1);
    first = static_cast<SHORT>(a.top + view.first);
    last = static_cast<SHORT>(a.top + view.last);
  }
  const HANDLE buffer = console_output_buffer();
  const WORD attribute = current_attribute();
  for (SHORT r = last; r >= first; --r) fill_row(buffer, a.left, a.right, r, attribute);
  SetConsoleCursorPosition(buffer, COORD{a.left, first});
  console.pending_newline = false;
}

uint32_t console_color(int32_t foreground, int32_t background, int32_t flags) {
  const uint32_t previous =
      choose_console_colors(console.foreground, console.background, foreground, background, flags);
  SetConsoleTextAttribute(console_output_buffer(),
                          static_cast<WORD>(console.foreground + console.background * 16));
  return previous;
}

void console_write(const uint8_t* bytes, uint64_t length, int32_t flags) {
  if (length == 0 && !(flags & TEXT_OUTPUT_FORCE)) return;
  if (!usable(text_area())) {
    write_through(bytes, length);
    return;
  }
  CONSOLE_SCREEN_BUFFER_INFO info;
  const bool known = screen_info(info);
  const SMALL_RECT window = known ? info.srWindow : SMALL_RECT{0, 0, 79, 24};
  const int32_t window_height = window.Bottom - window.Top + 1;
  const ConsoleViewRange range = resolved_view(window_height);
  ConsoleView owner{console_output_buffer(), false, known ? info.dwSize : COORD{80, 25},
                    known ? info.wAttributes : kDefaultAttribute};
  TextView view{&owner, console_scroll, console_draw_run, console_bell, 0,
                window.Top + range.first, owner.buffer_size.X - 1, window.Top + range.last, 0, 0};
  owner.partial = view.top != window.Top || view.bottom != window.Bottom;
  view.column = known ? info.dwCursorPosition.X : view.left;
  view.row = known ? info.dwCursorPosition.Y : view.top;
  const int32_t top_at_start = view.top;
  text_view_write_owing(view, bytes, length, console.pending_newline);
  SetConsoleCursorPosition(owner.buffer, COORD{static_cast<SHORT>(view.column), static_cast<SHORT>(view.row)});
  if (view.top != top_at_start && !owner.partial) {
    const SMALL_RECT follow{0, static_cast<SHORT>(view.top), static_cast<SHORT>(view.right),
                            static_cast<SHORT>(view.bottom)};
    SetConsoleWindowInfo(owner.buffer, TRUE, &follow);
  }
  read_text_area();
}

void console_locate(int32_t row, int32_t column) {
  console.pending_newline = false;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!usable(text_area()) || !screen_info(info)) return;
  COORD at = info.dwCursorPosition;
  if (column >= 1) at.X = static_cast<SHORT>(column - 1);
  if (row >= 1) at.Y = static_cast<SHORT>(info.srWindow.Top + row - 1);
  SetConsoleCursorPosition(console_output_buffer(), at);
}

void console_cursor_cell(int32_t* column, int32_t* row) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  int32_t c = 1, r = 1;
  if (usable(text_area()) && screen_info(info)) {
    const ConsoleViewRange range = resolved_view(info.srWindow.Bottom - info.srWindow.Top + 1);
    c = console.pending_newline ? info.dwSize.X : info.dwCursorPosition.X + 1;
    r = console.pending_newline ? range.last + 1 : info.dwCursorPosition.Y - info.srWindow.Top + 1;
  }
  if (column != nullptr) *column = c;
  if (row != nullptr) *row = r;
}

void console_text_size(int32_t* columns, int32_t* rows) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  const bool known = usable(text_area()) && screen_info(info);
  if (columns != nullptr) *columns = known ? info.dwSize.X : kStreamWidth;
  if (rows != nullptr) *rows = known ? info.srWindow.Bottom - info.srWindow.Top + 1 : 0;
}

void console_tone() {
  if (usable(text_area())) Beep(kToneHertz, kToneMilliseconds);
}

// The text console of a page is a stream: the browser's console log. It serves only when no
// canvas can be opened; the bytes pass through unchanged, as to a pipe, in the stream width.
#include <cstdio>

#include "runtime/text_console.hpp"

namespace {

struct StreamConsole {
  ConsoleViewRange view_range{-1, -1};
  int32_t foreground = 7;
  int32_t background = 0;
};

StreamConsole console;

}  // namespace

ConsoleViewRange& console_view_range() { return console.view_range; }

void console_clear(uint32_t) {}

uint32_t console_color(int32_t foreground, int32_t background, int32_t flags) {
  return choose_console_colors(console.foreground, console.background, foreground, background, flags);
}

void console_write(const uint8_t* bytes, uint64_t length, int32_t) {
  std::fwrite(bytes, 1, length, stdout);
}

void console_locate(int32_t, int32_t) {}

void console_cursor_cell(int32_t* column, int32_t* row) {
  if (column != nullptr) *column = 1;
  if (row != nullptr) *row = 1;
}

void console_text_size(int32_t* columns, int32_t* rows) {
  if (columns != nullptr) *columns = kStreamWidth;
  if (rows != nullptr) *rows = 0;
}

void console_tone() {}

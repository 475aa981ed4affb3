#include "console/screen_statements.hpp"

#include "console/channel.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/text_console.hpp"

void clear_screen_statement(uint32_t mode) {
  if (device_hooks().clear != nullptr) {
    device_hooks().clear(mode);
  } else {
    console_clear(mode);
  }
  screen_channel().column = 0;
}

uint32_t color_statement(int32_t foreground, int32_t background, int32_t flags) {
  if (device_hooks().color != nullptr) return device_hooks().color(foreground, background, flags);
  return console_color(foreground, background, flags);
}

void screen_text_output(const uint8_t* bytes, uint64_t length, int32_t flags) {
  if (device_hooks().text_output != nullptr) {
    device_hooks().text_output(bytes, length, flags);
  } else {
    console_write(bytes, length, flags);
  }
}

namespace {

void place_cursor(int32_t row, int32_t column) {
  if (device_hooks().locate != nullptr) {
    device_hooks().locate(row, column);
  } else {
    console_locate(row, column);
  }
  int32_t cursor_column = 1;
  screen_cursor_cell(&cursor_column, nullptr);
  screen_channel().column = cursor_column - 1;
}

}  // namespace

void locate(int32_t row, int32_t column) {
  const ConsoleViewRange view = console_view_range();
  int32_t columns = 0, rows = 0;
  screen_text_size(&columns, &rows);
  const int32_t first = view.first == -1 ? 1 : view.first + 1;
  const int32_t last = view.last == -1 ? rows : view.last + 1;
  const bool row_fits = row == 0 || (row >= first && row <= last);
  const bool column_fits = column == 0 || (column >= 1 && column <= columns);
  if (row_fits && column_fits) {
    place_cursor(row, column);
  } else {
    place_cursor(0, 0);
  }
}

void screen_cursor_cell(int32_t* column, int32_t* row) {
  if (device_hooks().cursor_cell != nullptr) {
    device_hooks().cursor_cell(column, row);
  } else {
    console_cursor_cell(column, row);
  }
}

void screen_text_size(int32_t* columns, int32_t* rows) {
  if (device_hooks().text_size != nullptr) {
    device_hooks().text_size(columns, rows);
  } else {
    console_text_size(columns, rows);
  }
}

void sound_tone() {
  if (device_hooks().tone != nullptr) {
    device_hooks().tone();
  } else {
    console_tone();
  }
}

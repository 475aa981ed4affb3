#include "console/screen_statements.hpp"

#include "console/channel.hpp"
#include "runtime/console_input.hpp"
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

int32_t screen_cursor_column() {
  if (device_hooks().cursor_column != nullptr) return device_hooks().cursor_column();
  return console_cursor_column();
}

uint32_t screen_text_width() {
  if (device_hooks().text_width != nullptr) return device_hooks().text_width();
  return console_text_width();
}

void sleep_statement(int32_t milliseconds) {
  if (device_hooks().sleep != nullptr) {
    device_hooks().sleep(milliseconds);
  } else {
    console_sleep(milliseconds);
  }
}

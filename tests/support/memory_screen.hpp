#pragma once
// The graphics screen in memory (mode 1: 40 x 25 text cells, no window) for typing on: keys come
// from a prepared list through the key hooks, as the screen's own buffer holds only 15, and the
// end of the list is the end of input; beeps are counted.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "gfx/text_draw.hpp"
#include "runtime/device_hooks.hpp"

namespace test_support {

inline std::vector<int32_t> typed_keys;
inline size_t next_typed_key = 0;
inline int beeps = 0;

inline void type_keys(std::vector<int32_t> keys) {
  typed_keys = std::move(keys);
  next_typed_key = 0;
}

// Opens the screen; false when it does not open.
inline bool open_memory_screen() {
  if (screen_statement(1, 8, 0, GFX_NO_WINDOW, 0) != 0) return false;
  DeviceHooks& hooks = device_hooks();
  hooks.key_hit = [] { return next_typed_key < typed_keys.size() ? 1 : 0; };
  hooks.inkey_code = [] { return next_typed_key < typed_keys.size() ? typed_keys[next_typed_key++] : -1; };
  hooks.input_ended = [] { return next_typed_key < typed_keys.size() ? 0 : 1; };
  hooks.tone = [] { ++beeps; };
  return true;
}

// The cursor cell, from 1: column and row.
inline std::pair<int32_t, int32_t> cursor_cell() {
  int32_t column = 0, row = 0;
  gfx_cursor_cell(&column, &row);
  return {column, row};
}

// Row r (from 1) of the work page's text cells, trailing blanks removed.
inline std::string screen_row(int r) {
  const GfxScreen& screen = *current_screen();
  std::string text;
  for (int c = 0; c < screen.text_columns; ++c) {
    text += static_cast<char>(screen.text_cells[0][static_cast<size_t>((r - 1) * screen.text_columns + c)].code);
  }
  return text.erase(text.find_last_not_of(' ') + 1);
}

}  // namespace test_support

// Types fuzzed key sequences into the line editor on the 40 x 25 screen in memory, one line at
// a time from a start cell the input picks, at most 100 keys a line so that its start stays on
// the screen. The cursor must stay in the grid throughout; at the end it must stand just after
// the line (the screen may have scrolled by whole rows meanwhile), and the screen must show
// exactly the returned text from the start cell on, blanks everywhere else.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "console/line_editor.hpp"
#include "console/screen_statements.hpp"
#include "memory_screen.hpp"
#include "runtime/key_code.hpp"

namespace {

using namespace test_support;

constexpr int32_t kColumns = 40, kRows = 25;
constexpr size_t kMaxKeys = 100;  // a line of tabs fills 800 cells at most

// Keys that bytes below 32 stand for: the editing keys, the line ends and a close request.
constexpr int32_t kControlKeys[] = {8, 9, 10, 13, 27, KEY_HOME, KEY_UP, KEY_LEFT, KEY_RIGHT, KEY_END,
                                    KEY_DOWN, KEY_DELETE, KEY_WINDOW_CLOSE};

// Stops the run on a broken invariant: what broke, and the value or line it broke on.
[[noreturn]] void fail(const char* what, const std::string& about) {
  std::cerr << what << ": " << about << "\n";
  std::abort();
}

void (*gfx_text_output)(const uint8_t*, uint64_t, int32_t) = nullptr;

void check_cursor() {
  const GfxScreen& s = *current_screen();
  if (s.cursor_column < 0 || s.cursor_column >= kColumns || s.cursor_row < 0 || s.cursor_row >= kRows) {
    fail("cursor outside the grid", std::to_string(s.cursor_row * kColumns + s.cursor_column));
  }
}

void checked_text_output(const uint8_t* bytes, uint64_t length, int32_t flags) {
  gfx_text_output(bytes, length, flags);
  check_cursor();
}

// The line started at cell (column, row), 1-based; the cursor after it tells how far the
// screen scrolled meanwhile.
void check_line(const std::string& text, int32_t column, int32_t row) {
  const GfxScreen& s = *current_screen();
  const int64_t end = s.cursor_row * kColumns + s.cursor_column;
  const int64_t scrolled = (row - 1) * kColumns + column - 1 + static_cast<int64_t>(text.size()) - end;
  if (scrolled < 0 || scrolled % kColumns != 0 || (s.flags & SCREEN_PENDING_NEWLINE)) {
    fail("cursor not just after the line", text);
  }
  const int64_t start = end - static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < kColumns * kRows; ++i) {
    const auto shown = static_cast<char>(s.text_cells[0][static_cast<size_t>(i)].code);
    const char expected = i >= start && i < end ? text[static_cast<size_t>(i - start)] : ' ';
    if (shown != expected) fail("screen unlike the line", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!open_memory_screen()) std::abort();
  gfx_text_output = device_hooks().text_output;
  device_hooks().text_output = checked_text_output;
  return 0;
}

// Each line: two bytes pick the start row and column; the bytes up to a line end (at most
// kMaxKeys) are its keys.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 1 < size;) {
    clear_screen_statement(0xFFFF0000u);
    const int32_t row = 1 + data[i] % kRows, column = 1 + data[i + 1] % kColumns;
    std::vector<int32_t> keys;
    i += 2;
    for (bool line_ends = false; i < size && !line_ends && keys.size() < kMaxKeys; ++i) {
      keys.push_back(data[i] >= 32 ? data[i] : kControlKeys[data[i] % std::size(kControlKeys)]);
      line_ends = keys.back() == 10 || keys.back() == 13;
    }
    locate(row, column);
    type_keys(std::move(keys));
    const std::string text = edit_input_line(true);
    check_cursor();
    check_line(text, column, row);
  }
  return 0;
}

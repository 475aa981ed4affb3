// Types fuzzed key sequences into the line editor on a 10 x 4 fake screen, one line at a time
// from a start cell the input picks. The cursor must stay in the grid throughout; when the
// line's start is still on the screen at the end, the screen must show exactly the returned
// text from the start cell on (blanks everywhere else) with the cursor just after it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/line_editor.hpp"
#include "console/screen_statements.hpp"
#include "fake_screen.hpp"
#include "gfx/key_code.hpp"

namespace {

constexpr int32_t kColumns = 10;
constexpr int32_t kRows = 4;

// Keys that bytes below 32 stand for: the editing keys, the line ends and a close request.
constexpr int32_t kControlKeys[] = {
    8, 9, 10, 13, 27, KEY_HOME, KEY_UP, KEY_LEFT, KEY_RIGHT, KEY_END, KEY_DOWN, KEY_DELETE,
    KEY_WINDOW_CLOSE,
};

FakeScreenSession* session = nullptr;
void (*screen_text_output_hook)(const uint8_t*, uint64_t, int32_t) = nullptr;
void (*screen_locate_hook)(int32_t, int32_t) = nullptr;

FakeScreen& screen() { return session->screen(); }

[[noreturn]] void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s; line \"%s\"; screen:\n", what, text.c_str());
  for (const std::string& row : screen().cells) std::fprintf(stderr, "  [%s]\n", row.c_str());
  std::fprintf(stderr, "cursor column %d, row %d (from 0), %d scrolls\n", screen().column,
               screen().row, screen().scrolls);
  std::abort();
}

void check_cursor() {
  const FakeScreen& s = screen();
  if (s.column < 0 || s.column >= kColumns || s.row < 0 || s.row >= kRows) {
    fail("cursor outside the grid", "");
  }
}

// The fake screen's output and cursor placement, with the cursor checked after each.
void checked_text_output(const uint8_t* bytes, uint64_t length, int32_t flags) {
  screen_text_output_hook(bytes, length, flags);
  check_cursor();
}

void checked_locate(int32_t row, int32_t column) {
  screen_locate_hook(row, column);
  check_cursor();
}

int32_t key_of(uint8_t b) {
  return b >= 32 ? b : kControlKeys[b % (sizeof kControlKeys / sizeof kControlKeys[0])];
}

void clear_screen() {
  FakeScreen& s = screen();
  for (std::string& row : s.cells) row.assign(kColumns, ' ');
  s.pending_newline = false;
  s.scrolls = 0;
  s.keys.clear();
}

// The line starting at cell (column, row), 1-based, once the editor has returned it.
void check_line(const std::string& text, int32_t column, int32_t row) {
  const FakeScreen& s = screen();
  const int32_t start_row = row - s.scrolls;
  if (start_row < 1) return;  // the start scrolled off the top
  const size_t start = static_cast<size_t>((start_row - 1) * kColumns + column - 1);
  const size_t end = start + text.size();
  if (end >= static_cast<size_t>(kColumns * kRows)) fail("line runs past the last cell", text);
  for (size_t i = 0; i < static_cast<size_t>(kColumns * kRows); ++i) {
    const char shown = s.cells[i / kColumns][i % kColumns];
    const char want = i >= start && i < end ? text[i - start] : ' ';
    if (shown != want) fail("screen unlike the line", text);
  }
  if (static_cast<size_t>(s.row * kColumns + s.column) != end || s.pending_newline) {
    fail("cursor not just after the line", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  session = new FakeScreenSession(kColumns, kRows);
  DeviceHooks& hooks = device_hooks();
  screen_text_output_hook = hooks.text_output;
  screen_locate_hook = hooks.locate;
  hooks.text_output = checked_text_output;
  hooks.locate = checked_locate;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t i = 0;
  while (i < size) {
    clear_screen();
    const uint8_t start = data[i++];
    const int32_t row = 1 + start % kRows;
    const int32_t column = 1 + start / kRows % kColumns;
    for (bool line_ends = false; i < size && !line_ends; ++i) {
      const int32_t key = key_of(data[i]);
      screen().keys.push_back(key);
      line_ends = key == 10 || key == 13;
    }
    locate(row, column);
    const std::string text = edit_input_line(true);
    check_cursor();
    check_line(text, column, row);
  }
  return 0;
}

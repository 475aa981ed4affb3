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

constexpr int32_t kColumns = 10, kRows = 4;

// Keys that bytes below 32 stand for: the editing keys, the line ends and a close request.
constexpr int32_t kControlKeys[] = {8, 9, 10, 13, 27, KEY_HOME, KEY_UP, KEY_LEFT, KEY_RIGHT, KEY_END,
                                    KEY_DOWN, KEY_DELETE, KEY_WINDOW_CLOSE};

FakeScreenSession* session = nullptr;
void (*fake_text_output)(const uint8_t*, uint64_t, int32_t) = nullptr;

[[noreturn]] void fail(const char* what, const std::string& text) {
  const FakeScreen& s = session->screen();
  std::fprintf(stderr, "%s; line \"%s\"; screen:\n", what, text.c_str());
  for (const std::string& row : s.cells) std::fprintf(stderr, "  [%s]\n", row.c_str());
  std::fprintf(stderr, "cursor column %d, row %d (from 0), %d scrolls\n", s.column, s.row, s.scrolls);
  std::abort();
}

void check_cursor() {
  const FakeScreen& s = session->screen();
  if (s.column < 0 || s.column >= kColumns || s.row < 0 || s.row >= kRows) fail("cursor outside the grid", "");
}

void checked_text_output(const uint8_t* bytes, uint64_t length, int32_t flags) {
  fake_text_output(bytes, length, flags);
  check_cursor();
}

// The line starting at cell (column, row), 1-based, once the editor has returned it.
void check_line(const std::string& text, int32_t column, int32_t row) {
  const FakeScreen& s = session->screen();
  const int32_t start_row = row - s.scrolls;
  if (start_row < 1) return;  // the start scrolled off the top
  const size_t start = static_cast<size_t>((start_row - 1) * kColumns + column - 1), end = start + text.size();
  if (end >= static_cast<size_t>(kColumns * kRows)) fail("line runs past the last cell", text);
  for (size_t i = 0; i < static_cast<size_t>(kColumns * kRows); ++i) {
    if (s.cells[i / kColumns][i % kColumns] != (i >= start && i < end ? text[i - start] : ' ')) {
      fail("screen unlike the line", text);
    }
  }
  if (static_cast<size_t>(s.row * kColumns + s.column) != end || s.pending_newline) {
    fail("cursor not just after the line", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  session = new FakeScreenSession(kColumns, kRows);
  fake_text_output = device_hooks().text_output;
  device_hooks().text_output = checked_text_output;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakeScreen& s = session->screen();
  for (size_t i = 0; i < size;) {
    for (std::string& row : s.cells) row.assign(kColumns, ' ');
    s.pending_newline = false;
    s.scrolls = 0;
    s.keys.clear();
    const int32_t row = 1 + data[i] % kRows, column = 1 + data[i] / kRows % kColumns;
    for (bool line_ends = false; ++i < size && !line_ends;) {
      const int32_t key = data[i] >= 32 ? data[i] : kControlKeys[data[i] % std::size(kControlKeys)];
      s.keys.push_back(key);
      line_ends = key == 10 || key == 13;
    }
    locate(row, column);
    const std::string text = edit_input_line(true);
    check_cursor();
    check_line(text, column, row);
  }
  return 0;
}

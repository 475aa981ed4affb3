#include "console/line_editor.hpp"

#include <algorithm>
#include <cstdint>

#include "console/channel.hpp"
#include "console/key_statements.hpp"
#include "console/screen_statements.hpp"
#include "runtime/key_code.hpp"
#include "runtime/keyed_sleep.hpp"

namespace {

constexpr int32_t kEditorPollMs = 25;  // how often the editor waiting for a key looks
constexpr int32_t kTabWidth = 8;
// What waiting gives besides a key's code: the input has ended, a key of no code came, the text
// area changed its size (a resized terminal) before any key came.
constexpr int32_t kInputEnded = -1, kNoKey = -2, kResized = -3;

struct Cell {
  int32_t column, row;  // 1-based
};

// All the editing state of one line.
struct LineEditor {
  int32_t width, rows;  // the text area, read at every key: a terminal may be resized
  std::string text;     // the line so far: bytes 32 to 255
  size_t pos;           // insertion index; the character at pos is under the cursor
  Cell start;           // the cursor cell at the start of this key's pass
};

Cell cursor_cell() {
  Cell cell{1, 1};
  screen_cursor_cell(&cell.column, &cell.row);
  return cell;
}

void print_bytes(const std::string& bytes) {
  screen_text_output(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0);
}

void write_channel_byte(uint8_t b) { channel_write(&screen_channel(), &b, 1); }

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The cell d cells on from cell, counting along the rows; row 0 and row R + 1 lie just
// outside the text area.
Cell cell_moved(const LineEditor& e, Cell cell, int64_t d) {
  const int64_t l = int64_t{cell.row - 1} * e.width + (cell.column - 1) + d;
  const int64_t row = floor_div(l, e.width) + 1;
  const int64_t column = l - (row - 1) * e.width + 1;
  return {static_cast<int32_t>(column), static_cast<int32_t>(row)};
}

void move_cursor_from(const LineEditor& e, Cell from, int64_t d) {
  const Cell to = cell_moved(e, from, d);
  if (to.row == e.rows + 1 && to.column == 1) {
    // Just past the last cell: scroll the text area and continue on the last row.
    locate(e.rows, e.width);
    print_bytes("\r\n");
  } else {
    locate(to.row, to.column);
  }
}

void move_cursor_by(const LineEditor& e, int64_t d) { move_cursor_from(e, cursor_cell(), d); }

// Prints bytes from the cursor, which stands at the cell from, then puts the cursor offset
// cells on from that cell, wherever the text area's scrolling has moved it.
void print_then_place(const LineEditor& e, Cell from, const std::string& bytes, int64_t offset) {
  print_bytes(bytes);
  const auto back = static_cast<int64_t>(bytes.size()) - offset;
  const Cell end = cell_moved(e, from, static_cast<int64_t>(bytes.size()));
  const bool scrolled = end.row > e.rows + 1 || (end.row == e.rows + 1 && end.column > 1);
  if (back != 0 && scrolled) {
    move_cursor_by(e, -back);
  } else {
    move_cursor_from(e, from, offset);
  }
}

void insert(LineEditor& e, const std::string& s) {
  locate(0, 0);
  e.text.insert(e.pos, s);
  print_then_place(e, e.start, e.text.substr(e.pos), static_cast<int64_t>(s.size()));
  e.pos += s.size();
}

// The text area changed its width under the line, which still lies as the old width laid it
// out (cut at the new edge): it is drawn again from its start in the new width, the cells the
// old layout used beyond the new one blanked.
void relayout(LineEditor& e, int32_t old_width) {
  LineEditor old = e;
  old.width = old_width;
  const Cell old_start = cell_moved(old, e.start, -static_cast<int64_t>(e.pos));
  const auto length = static_cast<int64_t>(e.text.size());
  const Cell start{std::min(old_start.column, e.width), old_start.row};
  const int64_t old_rows = cell_moved(old, old_start, std::max<int64_t>(length - 1, 0)).row - start.row;
  const int64_t blanks = std::max<int64_t>((old_rows + 1) * e.width - (start.column - 1) - length, 0);
  locate(start.row, start.column);
  print_then_place(e, start, e.text + std::string(static_cast<size_t>(blanks), ' '),
                   static_cast<int64_t>(e.pos));
  e.start = cursor_cell();
}

void erase(LineEditor& e, size_t n) {
  locate(0, 0);
  const Cell at = cursor_cell();
  e.text.erase(e.pos, n);
  print_bytes(e.text.substr(e.pos) + std::string(n, ' '));
  locate(at.row, at.column);
}

// Acts on one key; returns true when the key ends the line.
bool act(LineEditor& e, int32_t key) {
  const auto w = static_cast<size_t>(e.width);
  const size_t length = e.text.size();
  switch (key) {
    case 8:
      if (e.pos > 0) {
        move_cursor_by(e, -1);
        --e.pos;
        erase(e, 1);
      }
      break;
    case 9: insert(e, std::string(kTabWidth - e.pos % kTabWidth, ' ')); break;
    case 10:
    case 13: return true;
    case 27:
      move_cursor_by(e, -static_cast<int64_t>(e.pos));
      if (length > 0) {
        e.pos = 0;
        erase(e, length);
      }
      break;
    case KEY_HOME:
      move_cursor_by(e, -static_cast<int64_t>(e.pos));
      e.pos = 0;
      break;
    case KEY_UP:
      if (e.pos >= w) {
        move_cursor_by(e, -e.width);
        e.pos -= w;
      }
      break;
    case KEY_LEFT:
      if (e.pos > 0) {
        move_cursor_by(e, -1);
        --e.pos;
      }
      break;
    case KEY_RIGHT:
      if (e.pos < length) {
        move_cursor_by(e, 1);
        ++e.pos;
      }
      break;
    case KEY_END:
      move_cursor_by(e, static_cast<int64_t>(length - e.pos));
      e.pos = length;
      break;
    case KEY_DOWN:
      if (e.pos + w <= length) {
        move_cursor_by(e, e.width);
        e.pos += w;
      }
      break;
    case KEY_DELETE:
      if (e.pos < length) {
        erase(e, 1);
      } else {
        sound_tone();
      }
      break;
    default:
      if (key >= 32 && key <= 255) insert(e, std::string(1, static_cast<char>(key)));
  }
  return false;
}

// Whether the text area's size is no longer the one the line was laid out in.
bool resized(const LineEditor& e) {
  int32_t width = 0, rows = 0;
  screen_text_size(&width, &rows);
  return std::max(width, 1) != e.width || rows != e.rows;
}

// Waits for the next key, polling, and says when there is none.
int32_t wait_for_key(const LineEditor& e) {
  while (!key_hit_statement()) {
    if (input_ended_statement()) return kInputEnded;
    if (resized(e)) return kResized;
    pause_for_keys(kEditorPollMs);
  }
  StringDescriptor* key = inkey_statement();
  const int32_t value = string_length(*key) == 0 ? kNoKey : key_string_value(*key);
  release_temp_string(key);
  return value;
}

// Reads the text area's size as it is now (a resize may move the cursor's row), and lays the
// line out again when the width changed.
void follow_size(LineEditor& e) {
  const int32_t old_width = e.width;
  screen_text_size(&e.width, &e.rows);
  if (e.width < 1) e.width = 1;
  e.start = cursor_cell();
  if (old_width != 0 && old_width != e.width) relayout(e, old_width);
}

}  // namespace

std::string edit_input_line(bool draw_cursor) {
  LineEditor e{};
  follow_size(e);
  for (;;) {
    e.start = cursor_cell();
    if (draw_cursor) {
      write_channel_byte(255);  // the cursor mark
      locate(e.start.row, e.start.column);
    }
    const int32_t key = wait_for_key(e);
    if (key == kNoKey) continue;
    if (draw_cursor) {
      write_channel_byte(e.pos < e.text.size() ? static_cast<uint8_t>(e.text[e.pos]) : ' ');
      locate(e.start.row, e.start.column);
    }
    follow_size(e);
    if (key == kResized) continue;
    const bool line_ends = key == kInputEnded || act(e, key);
    locate(0, 0);
    if (line_ends) {
      move_cursor_by(e, static_cast<int64_t>(e.text.size() - e.pos));
      return e.text;
    }
  }
}

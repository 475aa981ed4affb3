#include "runtime/text_view.hpp"

#include <algorithm>

namespace {

constexpr int kRunCapacity = 1024;  // printable bytes collected before a forced flush

void scroll_past_bottom(TextView& view) {
  if (view.bottom != -1 && view.row > view.bottom) {
    view.scroll(view, view.left, view.top, view.right, view.bottom, view.row - view.bottom);
  }
}

// Draws the collected run, wrapping at the right edge and scrolling before drawing below the
// bottom. Returns false when the draw operation failed.
bool flush_text_run(TextView& view, const uint8_t* run, int32_t n) {
  while (n > 0) {
    const int32_t k = std::min(n, view.right - view.column + 1);
    scroll_past_bottom(view);
    if (view.draw_run(view, run, k) != 1) return false;
    run += k;
    n -= k;
    view.column += k;
    if (view.column == view.right + 1) {
      view.column = view.left;
      ++view.row;
    }
  }
  return true;
}

// Collects printable bytes, mirroring the column so TAB stops are counted right.
struct Collector {
  TextView& view;
  uint8_t run[kRunCapacity];
  int32_t count = 0;
  int32_t column;  // the interpreter's own copy while collecting
  int32_t width;

  bool flush() {
    const int32_t n = count;
    count = 0;
    return n == 0 || flush_text_run(view, run, n);
  }

  bool add(uint8_t b) {
    if (count == kRunCapacity && !flush()) return false;
    run[count++] = b;
    if (++column > view.right) column = view.left + (column - view.left) % width;
    return true;
  }
};

}  // namespace

void text_view_write(TextView& view, const uint8_t* bytes, uint64_t length) {
  const int32_t width = view.right - view.left + 1;
  if (width <= 0 || length == 0) return;
  Collector collector{view, {}, 0, view.column, width};
  bool moved = false;  // a BS, LF or CR moved the cursor after the last flush
  for (uint64_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    switch (b) {
      case 7:
        if (view.tone != nullptr) view.tone(view);
        break;
      case 8:
      case 10:
      case 13:
        if (!collector.flush()) return;
        if (b == 8) {
          if (view.column > view.left) --view.column;
        } else {
          view.column = view.left;
          if (b == 10) ++view.row;
        }
        collector.column = view.column;
        moved = true;
        break;
      case 9:
        for (int32_t blanks = 8 - (collector.column - view.left) % 8; blanks > 0; --blanks) {
          if (!collector.add(' ')) return;
        }
        break;
      default:
        if (!collector.add(b)) return;
    }
    if (collector.count > 0) moved = false;
  }
  if (collector.count > 0) {
    collector.flush();
  } else if (moved) {
    scroll_past_bottom(view);
  }
}

void text_view_write_owing(TextView& view, const uint8_t* bytes, uint64_t length, bool& newline_owed) {
  if (newline_owed) {
    newline_owed = false;
    view.column = view.left;
    ++view.row;
    scroll_past_bottom(view);
  }
  text_view_write(view, bytes, length);
  if (view.column == view.left && view.row == view.bottom + 1) {
    newline_owed = true;
    view.row = view.bottom;
    view.column = view.right;
  } else {
    scroll_past_bottom(view);
  }
}

#include "gfx/text_draw.hpp"

#include <algorithm>
#include <cstring>

#include "console/screen_statements.hpp"
#include "gfx/screen.hpp"
#include "runtime/text_console.hpp"
#include "runtime/text_view.hpp"

namespace {

constexpr uint8_t kCursorMark = 255;

// The owner data of a view: where it draws, and the framebuffer lines it touched.
struct DrawTarget {
  GfxScreen& screen;
  GfxContext& context;
  int32_t touched_first = 0;
  int32_t touched_end = 0;  // exclusive; both 0 while nothing was touched

  void touch(int32_t first, int32_t end) {
    if (touched_first == touched_end) {
      touched_first = first;
      touched_end = end;
    } else {
      touched_first = std::min(touched_first, first);
      touched_end = std::max(touched_end, end);
    }
  }
};

DrawTarget& target_of(TextView& view) { return *static_cast<DrawTarget*>(view.owner); }

TextCell* cells_of_row(DrawTarget& t, int32_t row) {
  return t.screen.text_cells[static_cast<size_t>(t.context.work_page)].data() +
         static_cast<ptrdiff_t>(row) * t.screen.text_columns;
}

void blank_cells(DrawTarget& t, int32_t row, int32_t left, int32_t right) {
  std::fill(cells_of_row(t, row) + left, cells_of_row(t, row) + right + 1,
            TextCell{32, t.context.fg_color, t.context.bg_color});
}

void draw_glyph(DrawTarget& t, uint8_t code, int32_t x0, int32_t y0) {
  const FontInfo& font = *t.screen.font;
  const uint8_t* glyph = font.glyphs + static_cast<ptrdiff_t>(code) * font.height;
  for (int32_t r = 0; r < font.height; ++r) {
    t.screen.pixels->glyph_row(t.context.lines[static_cast<size_t>(y0 + r)], x0, glyph[r],
                               t.context.fg_color, t.context.bg_color);
  }
}

int draw_text_run(TextView& view, const uint8_t* bytes, int32_t count) {
  DrawTarget& t = target_of(view);
  const FontInfo& font = *t.screen.font;
  const int32_t x0 = view.column * font.width;
  const int32_t y0 = view.row * font.height;
  if (count == 1 && bytes[0] == kCursorMark) {
    t.screen.pixels->fill(t.context.lines[static_cast<size_t>(y0 + font.height - 1)], x0,
                          font.width, t.context.fg_color);
  } else {
    for (int32_t i = 0; i < count; ++i) draw_glyph(t, bytes[i], x0 + i * font.width, y0);
  }
  t.touch(y0, y0 + font.height);
  TextCell* cells = cells_of_row(t, view.row) + view.column;
  for (int32_t i = 0; i < count; ++i) cells[i] = {bytes[i], t.context.fg_color, t.context.bg_color};
  return 1;
}

void scroll_text_view(TextView& view, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      int32_t lines) {
  DrawTarget& t = target_of(view);
  const FontInfo& font = *t.screen.font;
  const int32_t first = top * font.height;
  const int32_t end = (bottom + 1) * font.height;
  const int32_t shift = lines * font.height;
  const int32_t span = (right + 1 - left) * font.width;
  const auto span_bytes = static_cast<size_t>(span * t.screen.bytes_per_pixel);
  if (shift != 0) {
    int32_t cleared = first;
    if (shift > 0 && shift < end - first) {
      if (span_bytes == static_cast<size_t>(t.screen.pitch)) {
        // Whole lines of one page lie back to back: one move does them all.
        std::memmove(t.context.lines[static_cast<size_t>(first)],
                     t.context.lines[static_cast<size_t>(first + shift)],
                     span_bytes * static_cast<size_t>(end - first - shift));
      } else {
        for (int32_t y = first + shift; y < end; ++y) {
          std::memmove(t.context.lines[static_cast<size_t>(y - shift)],
                       t.context.lines[static_cast<size_t>(y)], span_bytes);
        }
      }
      cleared = end - shift;
    }
    for (int32_t y = cleared; y < end; ++y) {
      t.screen.pixels->fill(t.context.lines[static_cast<size_t>(y)], 0, span, t.context.bg_color);
    }
    t.touch(first, end);
  }
  const int32_t rows = bottom - top + 1;
  int32_t blank_from = top;
  if (rows > lines) {
    for (int32_t r = top; r + lines <= bottom; ++r) {
      std::copy(cells_of_row(t, r + lines) + left, cells_of_row(t, r + lines) + right + 1,
                cells_of_row(t, r) + left);
    }
    blank_from = bottom - lines + 1;
  }
  for (int32_t r = blank_from; r <= bottom; ++r) blank_cells(t, r, left, right);
  view.row = bottom;
}

// The view's rows from the shared view range, resolving and storing unset ends.
ConsoleViewRange view_rows(const GfxScreen& screen) {
  ConsoleViewRange& range = console_view_range();
  if (range.first == -1) range.first = 0;
  if (range.last == -1) range.last = (screen.text_rows > 0 ? screen.text_rows : 25) - 1;
  return range;
}

void mark_dirty(GfxScreen& screen, const GfxContext& context, int32_t first, int32_t end) {
  if (context.work_page != screen.visible_page) return;
  std::fill(screen.dirty.begin() + first, screen.dirty.begin() + end, 1);
}

}  // namespace

void gfx_print(const uint8_t* bytes, uint64_t length, int32_t flags) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr || (length == 0 && !(flags & TEXT_OUTPUT_FORCE))) return;
  DrawTarget target{*screen, context_get()};
  screen_lock();
  const ConsoleViewRange rows = view_rows(*screen);
  TextView view{&target,          scroll_text_view, draw_text_run, nullptr, 0, rows.first,
                screen->text_columns - 1, rows.last, screen->cursor_column, screen->cursor_row};
  bool newline_owed = screen->flags & SCREEN_PENDING_NEWLINE;
  text_view_write_owing(view, bytes, length, newline_owed);
  screen->flags &= ~SCREEN_PENDING_NEWLINE;
  if (newline_owed) screen->flags |= SCREEN_PENDING_NEWLINE;
  if (view.column >= 0) screen->cursor_column = view.column;
  if (view.row >= 0) screen->cursor_row = view.row;
  mark_dirty(*screen, target.context, target.touched_first, target.touched_end);
  screen_unlock_unmarked();
}

void gfx_locate(int32_t row, int32_t column) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  screen->flags &= ~SCREEN_PENDING_NEWLINE;
  if (column >= 1) screen->cursor_column = column - 1;
  if (row >= 1) screen->cursor_row = row - 1;
}

void gfx_cursor_cell(int32_t* column, int32_t* row) {
  const GfxScreen* screen = current_screen();
  if (column != nullptr) *column = screen != nullptr ? screen->cursor_column + 1 : 1;
  if (row != nullptr) *row = screen != nullptr ? screen->cursor_row + 1 : 1;
}

void gfx_text_size(int32_t* columns, int32_t* rows) {
  const GfxScreen* screen = current_screen();
  if (columns != nullptr) *columns = screen != nullptr ? screen->text_columns : 0;
  if (rows != nullptr) *rows = screen != nullptr ? screen->text_rows : 0;
}

void gfx_cls(uint32_t mode) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  DrawTarget target{*screen, context_get()};
  screen_lock();
  const ConsoleViewRange rows = view_rows(*screen);
  if (mode == CLEAR_DEFAULT) {
    mode = rows.first == 0 && rows.last == screen->text_rows - 1 ? 0 : 2;
  }
  const int32_t h = screen->font->height;
  int32_t first_line = target.context.clip_top;
  int32_t end_line = target.context.clip_bottom + 1;
  if (mode == 0 || mode == 2) {
    const int32_t first_row = mode == 0 ? 0 : rows.first;
    const int32_t last_row = mode == 0 ? screen->text_rows - 1 : rows.last;
    first_line = mode == 0 ? 0 : first_row * h;
    end_line = mode == 0 ? screen->height : (last_row + 1) * h;
    for (int32_t r = first_row; r <= last_row; ++r) {
      blank_cells(target, r, 0, screen->text_columns - 1);
    }
    gfx_locate(rows.first + 1, 1);
  }
  const int32_t left = mode == 0 || mode == 2 ? 0 : target.context.clip_left;
  const int32_t right = mode == 0 || mode == 2 ? screen->width - 1 : target.context.clip_right;
  for (int32_t y = first_line; y < end_line; ++y) {
    screen->pixels->fill(target.context.lines[static_cast<size_t>(y)], left, right - left + 1,
                         target.context.bg_color);
  }
  mark_dirty(*screen, target.context, first_line, end_line);
  screen_unlock_unmarked();
}

void reset_text_view() {
  GfxScreen& screen = *current_screen();
  console_view_range() = {0, screen.text_rows - 1};
  locate(1, 1);
}

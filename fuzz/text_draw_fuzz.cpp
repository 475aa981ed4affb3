// Prints fuzzed bytes on a mode 1 screen in memory, between cursor placements, view ranges and
// colour changes taken from the input, and checks after each step that the cursor stays in the
// grid and that every text cell's glyph is what the pixels of the page show.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.hpp"
#include "console/screen_statements.hpp"
#include "gfx/driver.hpp"
#include "gfx/gfx_data.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "gfx/text_draw.hpp"
#include "runtime/text_console.hpp"

namespace {

constexpr int32_t kColumns = 40;
constexpr int32_t kRows = 25;
constexpr int32_t kGlyphSize = 8;
constexpr uint8_t kCursorMark = 255;

// An input is a header (view range: two bytes; colours: one; cursor row and column: one each)
// and then steps. A step byte from PRINT_BASE on prints (step - PRINT_BASE) bytes, PRINT_REST
// the whole rest.
enum Step : uint8_t { FORCE_EMPTY, LOCATE, VIEW_RANGE, COLORS, PRINT_BASE };
constexpr uint8_t PRINT_REST = 255;

GfxScreen& screen() { return *current_screen(); }

[[noreturn]] void fail(const char* what, int32_t column, int32_t row) {
  std::fprintf(stderr, "%s at column %d, row %d\n", what, column, row);
  std::abort();
}

void set_view_range(FuzzInput& in) {
  const int32_t first = in.take() % kRows;
  const int32_t last = first + in.take() % (kRows - first);
  console_view_range() = {first, last};
}

void set_colors(FuzzInput& in) {
  const uint8_t b = in.take();
  context_get().fg_color = b & 0x0F;
  context_get().bg_color = b >> 4;
}

void check_cursor() {
  int32_t column = 0, row = 0;
  gfx_cursor_cell(&column, &row);
  if (column < 1 || column > kColumns || row < 1 || row > kRows) fail("cursor outside", column, row);
  if ((screen().flags & SCREEN_PENDING_NEWLINE) &&
      (column != kColumns || row != console_view_range().last + 1)) {
    fail("owed newline away from the view's last cell", column, row);
  }
}

// Per glyph row byte: eight pixels of one byte each, 0xFF where the bit is set, the leftmost
// pixel (bit 0) in the lowest byte as a little-endian load of the row puts it.
constexpr std::array<uint64_t, 256> kRowMasks = [] {
  std::array<uint64_t, 256> masks{};
  for (int bits = 0; bits < 256; ++bits) {
    for (int x = 0; x < kGlyphSize; ++x) {
      if ((bits >> x) & 1) masks[static_cast<size_t>(bits)] |= uint64_t{0xFF} << (8 * x);
    }
  }
  return masks;
}();

uint64_t row_pixels(const uint8_t* line) {
  uint64_t pixels;
  std::memcpy(&pixels, line, sizeof pixels);
  return pixels;
}

// Each cell's glyph in its own colours. A cell holding 255 may show the cursor mark: its bottom
// pixel row all foreground over whatever was there, or else the blank glyph 255. The check
// itself is left out of the coverage and the address checks, which would only slow it down.
__attribute__((no_sanitize("coverage", "address"))) void check_pixels() {
  constexpr uint64_t kEveryByte = 0x0101010101010101u;
  const GfxScreen& s = screen();
  const TextCell* cells = s.text_cells[0].data();
  const uint8_t* page = s.pages[0].get();
  for (int32_t row = 0; row < kRows; ++row) {
    for (int32_t column = 0; column < kColumns; ++column) {
      const TextCell& cell = cells[row * kColumns + column];
      if (cell.code > 255) fail("cell code above 255", column + 1, row + 1);
      const uint64_t fg = (cell.foreground & 0xFF) * kEveryByte;
      const uint64_t bg = (cell.background & 0xFF) * kEveryByte;
      const uint8_t* glyph = kFonts[0].glyphs + cell.code * kGlyphSize;
      const uint8_t* top_left = page + row * kGlyphSize * s.pitch + column * kGlyphSize;
      if (cell.code == kCursorMark && row_pixels(top_left + (kGlyphSize - 1) * s.pitch) == fg) {
        continue;
      }
      for (int32_t y = 0; y < kGlyphSize; ++y) {
        const uint64_t mask = kRowMasks[glyph[y]];
        if (row_pixels(top_left + y * s.pitch) != ((fg & mask) | (bg & ~mask))) {
          fail("pixels unlike the cell", column + 1, row + 1);
        }
      }
    }
  }
}

// A fresh page for each input, so that every input replays on its own.
void reset_screen() {
  console_view_range() = {0, kRows - 1};
  context_get().fg_color = 3;
  context_get().bg_color = 0;
  gfx_cls(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (screen_statement(1, 8, 0, GFX_NO_WINDOW, 0) != 0 || context_get().work_page != 0) {
    std::fprintf(stderr, "no mode 1 screen in memory\n");
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  reset_screen();
  set_view_range(in);
  set_colors(in);
  const int32_t row = 1 + in.take() % kRows;
  gfx_locate(row, 1 + in.take() % kColumns);
  while (in.size > 0) {
    const uint8_t step = in.take();
    switch (step) {
      case FORCE_EMPTY:
        gfx_print(in.data, 0, GFX_PRINT_FORCE);
        break;
      case LOCATE: {
        const int32_t to_row = in.take() % (kRows + 2);
        locate(to_row, in.take() % (kColumns + 2));
        break;
      }
      case VIEW_RANGE:
        // An owed newline belongs to the old view's last cell: a new range starts without one.
        set_view_range(in);
        locate(0, 0);
        break;
      case COLORS:
        set_colors(in);
        break;
      default: {
        const size_t count = step == PRINT_REST ? in.size : step - PRINT_BASE;
        const size_t n = count < in.size ? count : in.size;
        gfx_print(in.data, n, 0);
        in.data += n;
        in.size -= n;
      }
    }
    check_cursor();
    if (step == FORCE_EMPTY || step >= PRINT_BASE) check_pixels();
  }
  return 0;
}

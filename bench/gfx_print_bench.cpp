// Text on the graphics screen: printing lines on the last row of a 320 x 200 in-memory screen
// (every line scrolls the view), one scroll on its own, and the plain memory moves a scroll
// amounts to, so the two can be compared in one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "gfx/text_draw.hpp"

namespace {

// Mode 1: 320 x 200 at one byte per pixel, an 8 x 8 font, 40 x 25 text cells.
constexpr int32_t kScreenMode = 1;
constexpr int32_t kRows = 25;
constexpr int32_t kColumns = 40;
constexpr int32_t kFontHeight = 8;
constexpr size_t kPitch = 320;

// What one scroll of the full view by one text row moves and clears.
constexpr size_t kMovedPixelBytes = static_cast<size_t>(kRows - 1) * kFontHeight * kPitch;
constexpr size_t kClearedPixelBytes = kFontHeight * kPitch;
constexpr size_t kMovedCells = static_cast<size_t>(kRows - 1) * kColumns;

// Opens the in-memory screen with the cursor on the last row for the benchmark's lifetime.
class LastRowScreen {
 public:
  explicit LastRowScreen(benchmark::State& state) {
    if (screen_statement(kScreenMode, 8, 0, GFX_NO_WINDOW, 0) != 0 || current_screen() == nullptr) {
      state.SkipWithError("the in-memory screen did not open");
      return;
    }
    open_ = true;
    gfx_locate(kRows, 1);
  }
  ~LastRowScreen() {
    if (open_) close_screen();
  }
  LastRowScreen(const LastRowScreen&) = delete;
  LastRowScreen& operator=(const LastRowScreen&) = delete;

  bool open() const { return open_; }

 private:
  bool open_ = false;
};

void print(std::string_view text) {
  gfx_print(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0);
}

// Each call prints one line ending in CR LF on the last row, so each call scrolls. A full
// 40-character line wraps first, so its CR LF moves two rows and one scroll moves both.
void BM_GfxPrintScrolling(benchmark::State& state, std::string_view line) {
  LastRowScreen screen(state);
  if (!screen.open()) return;
  for (auto _ : state) {
    print(line);
    benchmark::ClobberMemory();
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}

BENCHMARK_CAPTURE(BM_GfxPrintScrolling, short_line, std::string_view(" 479001599\r\n"));
BENCHMARK_CAPTURE(BM_GfxPrintScrolling, full_line,
                  std::string_view("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;:\r\n"));

// Glyph drawing alone: 40 characters on the top row (they wrap to the second row, no scroll).
void BM_GfxPrintNoScroll(benchmark::State& state) {
  LastRowScreen screen(state);
  if (!screen.open()) return;
  constexpr std::string_view kLine = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;:";
  for (auto _ : state) {
    gfx_locate(1, 1);
    print(kLine);
    benchmark::ClobberMemory();
  }
  state.counters["glyphs_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kLine.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GfxPrintNoScroll);

// One scroll through the print path: CR LF with the cursor on the last row.
void BM_GfxScrollOneRow(benchmark::State& state) {
  LastRowScreen screen(state);
  if (!screen.open()) return;
  for (auto _ : state) {
    print("\r\n");
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GfxScrollOneRow);

// The pixel part of a scroll as one block move plus clearing the freed lines.
void BM_MemmoveScrollPixels(benchmark::State& state) {
  std::vector<uint8_t> page(kMovedPixelBytes + kClearedPixelBytes, 1);
  uint8_t* bytes = page.data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(bytes);
    std::memmove(bytes, bytes + kClearedPixelBytes, kMovedPixelBytes);
    std::memset(bytes + kMovedPixelBytes, 0, kClearedPixelBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMovedPixelBytes));
}
BENCHMARK(BM_MemmoveScrollPixels);

// The same pixels plus the text cells: 24 rows of cells moved up, the last row blanked.
void BM_MemmoveScrollPixelsAndCells(benchmark::State& state) {
  std::vector<uint8_t> page(kMovedPixelBytes + kClearedPixelBytes, 1);
  std::vector<TextCell> cells(kMovedCells + kColumns, TextCell{65, 15, 0});
  uint8_t* bytes = page.data();
  TextCell* grid = cells.data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(grid);
    std::memmove(bytes, bytes + kClearedPixelBytes, kMovedPixelBytes);
    std::memset(bytes + kMovedPixelBytes, 0, kClearedPixelBytes);
    std::memmove(grid, grid + kColumns, kMovedCells * sizeof(TextCell));
    std::fill(grid + kMovedCells, grid + kMovedCells + kColumns, TextCell{32, 15, 0});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemmoveScrollPixelsAndCells);

}  // namespace

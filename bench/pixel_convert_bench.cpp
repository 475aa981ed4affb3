// The presentation's conversion of a whole 320 x 200 palette screen into a display's pixels:
// what a palette change costs each window driver, at each pixel size and at the scales a
// full-screen window uses.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gfx/pixel_convert.hpp"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 200;

void BM_ConvertScreen(benchmark::State& state) {
  const auto bytes = static_cast<int32_t>(state.range(0));
  const auto scale = static_cast<int32_t>(state.range(1));
  const DisplayFormat format = bytes == 2 ? DisplayFormat{0xF800, 0x07E0, 0x001F, 2}
                                          : DisplayFormat{0xFF0000, 0xFF00, 0xFF, bytes};
  PaletteEntry palette[256]{};
  for (int i = 0; i < 256; ++i) palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 85, 0};
  uint32_t table[256];
  fill_pixel_table(format, palette, table);
  std::vector<uint8_t> screen(kWidth * kHeight);
  for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<uint8_t>(i % 4);
  std::vector<uint8_t> line(static_cast<size_t>(kWidth * scale * bytes));
  for (auto _ : state) {
    for (int32_t y = 0; y < kHeight; ++y) {
      convert_pixel_line(format, table, screen.data() + y * kWidth, 1, kWidth, scale, line.data());
    }
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ConvertScreen)->ArgNames({"bytes", "scale"})->Args({2, 1})->Args({3, 1})->Args({4, 1})->Args({4, 3});

}  // namespace

#include <cstring>

#include "gfx/pixel_ops.hpp"

namespace {

template <typename Pixel>
void set_pixel(uint8_t* line, int32_t x, uint32_t color) {
  const auto value = static_cast<Pixel>(color);
  std::memcpy(line + x * static_cast<int32_t>(sizeof(Pixel)), &value, sizeof(Pixel));
}

template <typename Pixel>
void fill(uint8_t* line, int32_t x, int32_t count, uint32_t color) {
  if constexpr (sizeof(Pixel) == 1) {
    std::memset(line + x, static_cast<int>(color & 0xFF), static_cast<size_t>(count));
  } else {
    for (int32_t i = 0; i < count; ++i) set_pixel<Pixel>(line, x + i, color);
  }
}

template <typename Pixel>
void glyph_row(uint8_t* line, int32_t x, uint8_t bits, uint32_t fg, uint32_t bg) {
  Pixel row[8];
  for (int bit = 0; bit < 8; ++bit) row[bit] = static_cast<Pixel>((bits >> bit) & 1 ? fg : bg);
  std::memcpy(line + x * static_cast<int32_t>(sizeof(Pixel)), row, sizeof row);
}

constexpr PixelOps kPixelOps[] = {
    {fill<uint8_t>, glyph_row<uint8_t>},
    {fill<uint16_t>, glyph_row<uint16_t>},
    {fill<uint32_t>, glyph_row<uint32_t>},
};

}  // namespace

const PixelOps* pixel_ops_for(int32_t bytes_per_pixel) {
  return &kPixelOps[bytes_per_pixel >= 4 ? 2 : bytes_per_pixel - 1];
}
